// The D-Bus providers: KWin (a script of ours that KWin runs and that calls
// us) and GNOME Shell (an extension of ours that we call). Each keeps one
// private session bus connection of its own, used under its mutex.
//
// KWin
//   start    own "org.varnacle.driver"; ask KWin (org.kde.KWin /Scripting)
//            to unload an old copy of the script, load ours and run it; the
//            script calls ActiveWindow(pid) at once and on every change
//   query    take the calls that came meanwhile (without waiting), from
//            KWin's connection only; /proc/PID/exe of the last pid
//   restart  KWin's bus name changes owner → the script is loaded again
//   failure  (no bus, script refused) unknown; tried again after the retry
//            interval, quietly
//   exit     the script is unloaded
//
// GNOME Shell
//   query    FocusedWindowPid() of the extension, at most kCallLimit; no
//            owner of its name → needsShellExtension until it has one
//
// Nothing here needs privileges: the session bus is the user's own.
#include <dbus/dbus.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include "platform/foreground_providers_linux.h"

namespace varnacle::platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCallLimitMs = 1000;
namespace names = foreground_bus;
constexpr const char* kKWinName = "org.kde.KWin";
constexpr const char* kKWinScriptingPath = "/Scripting";
constexpr const char* kKWinScripting = "org.kde.kwin.Scripting";

struct MessageUnref {
  void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

class Error {
 public:
  Error() { dbus_error_init(&error_); }
  ~Error() { dbus_error_free(&error_); }
  Error(const Error&) = delete;
  Error& operator=(const Error&) = delete;
  DBusError* get() { return &error_; }
  bool isSet() const { return dbus_error_is_set(&error_); }
  std::string name() const { return error_.name ? error_.name : ""; }

 private:
  DBusError error_;
};

// A number argument of any D-Bus number type (a script's numbers may arrive
// as doubles), within [low, high].
std::optional<long long> numberArgument(DBusMessage* message, long long low, long long high) {
  DBusMessageIter iter;
  if (!dbus_message_iter_init(message, &iter)) return std::nullopt;
  DBusMessageIter inner;
  if (dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
    dbus_message_iter_recurse(&iter, &inner);
    iter = inner;
  }
  long long value = 0;
  switch (dbus_message_iter_get_arg_type(&iter)) {
    case DBUS_TYPE_INT32: {
      dbus_int32_t v = 0;
      dbus_message_iter_get_basic(&iter, &v);
      value = v;
      break;
    }
    case DBUS_TYPE_UINT32: {
      dbus_uint32_t v = 0;
      dbus_message_iter_get_basic(&iter, &v);
      value = v;
      break;
    }
    case DBUS_TYPE_INT64: {
      dbus_int64_t v = 0;
      dbus_message_iter_get_basic(&iter, &v);
      value = v;
      break;
    }
    case DBUS_TYPE_UINT64: {
      dbus_uint64_t v = 0;
      dbus_message_iter_get_basic(&iter, &v);
      if (v > static_cast<dbus_uint64_t>(high)) return std::nullopt;
      value = static_cast<long long>(v);
      break;
    }
    case DBUS_TYPE_DOUBLE: {
      double v = 0;
      dbus_message_iter_get_basic(&iter, &v);
      if (!(v >= static_cast<double>(low) && v <= static_cast<double>(high))) return std::nullopt;
      value = static_cast<long long>(v);
      if (static_cast<double>(value) != v) return std::nullopt;
      break;
    }
    default:
      return std::nullopt;
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<std::string> stringArgument(DBusMessage* message) {
  const char* text = nullptr;
  Error e;
  if (!dbus_message_get_args(message, e.get(), DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID))
    return std::nullopt;
  return std::string(text);
}

// Process ids above this are no process of this system (the kernel's limit).
constexpr long long kMaxPid = 1 << 22;

// One private connection to the session bus.
class Bus {
 public:
  Bus() = default;
  ~Bus() { close(); }
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  bool open() {
    close();
    Error e;
    connection_ = dbus_bus_get_private(DBUS_BUS_SESSION, e.get());
    if (!connection_) return false;
    dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    return true;
  }
  void close() {
    if (!connection_) return;
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
    connection_ = nullptr;
  }
  bool connected() const { return connection_ && dbus_connection_get_is_connected(connection_); }
  DBusConnection* get() const { return connection_; }

  // A method call with string arguments; the reply, or null (and the
  // error's name in `error`).
  Message call(const char* destination, const char* path, const char* interface, const char* method,
               std::initializer_list<const char*> arguments, std::string* error = nullptr) {
    Message m(dbus_message_new_method_call(destination, path, interface, method));
    if (!m) return nullptr;
    dbus_message_set_auto_start(m.get(), FALSE);
    for (const char* argument : arguments)
      if (!dbus_message_append_args(m.get(), DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID))
        return nullptr;
    Error e;
    Message reply(
        dbus_connection_send_with_reply_and_block(connection_, m.get(), kCallLimitMs, e.get()));
    if (error) *error = e.isSet() ? e.name() : "";
    return reply;
  }

  std::optional<std::string> ownerOf(const char* name) {
    Message reply =
        call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "GetNameOwner", {name});
    return reply ? stringArgument(reply.get()) : std::nullopt;
  }

 private:
  DBusConnection* connection_ = nullptr;
};

class KWinForegroundProgram : public ForegroundProgram {
 public:
  KWinForegroundProgram(std::filesystem::path script, std::chrono::milliseconds retry)
      : script_(std::move(script)), retry_(retry) {}

  ~KWinForegroundProgram() override {
    std::lock_guard lock(mutex_);
    if (loaded_ && bus_.connected())
      bus_.call(kKWinName, kKWinScriptingPath, kKWinScripting, "unloadScript",
                {names::kKWinScriptName});
  }

  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    if (!bus_.connected() && !connect()) return std::nullopt;
    takeMessages();
    if (!bus_.connected()) return std::nullopt;
    if (!loaded_ && Clock::now() >= nextAttempt_ && !load()) nextAttempt_ = Clock::now() + retry_;
    return loaded_ && pid_ ? programOfProcess(pid_) : std::nullopt;
  }

 private:
  bool connect() {
    if (Clock::now() < nextAttempt_) return false;
    nextAttempt_ = Clock::now() + retry_;
    loaded_ = false;
    pid_ = 0;
    if (!bus_.open()) return false;
    Error e;
    const int got =
        dbus_bus_request_name(bus_.get(), names::kDriverName, DBUS_NAME_FLAG_DO_NOT_QUEUE, e.get());
    if (got != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER &&
        got != DBUS_REQUEST_NAME_REPLY_ALREADY_OWNER) {
      bus_.close();
      return false;
    }
    const std::string rule = std::string("type='signal',sender='") + DBUS_SERVICE_DBUS +
                             "',interface='" + DBUS_INTERFACE_DBUS +
                             "',member='NameOwnerChanged',arg0='" + kKWinName + "'";
    dbus_bus_add_match(bus_.get(), rule.c_str(), e.get());
    if (e.isSet()) {
      bus_.close();
      return false;
    }
    nextAttempt_ = Clock::now();
    return true;
  }

  bool load() {
    const auto owner = bus_.ownerOf(kKWinName);
    if (!owner) return false;
    kwinOwner_ = *owner;
    // A copy an earlier run left behind (it ended without unloading) goes first.
    bus_.call(kKWinName, kKWinScriptingPath, kKWinScripting, "unloadScript",
              {names::kKWinScriptName});
    const std::string file = script_.string();
    Message reply = bus_.call(kKWinName, kKWinScriptingPath, kKWinScripting, "loadScript",
                              {file.c_str(), names::kKWinScriptName});
    const auto id = reply ? numberArgument(reply.get(), 0, 1 << 30) : std::nullopt;
    if (!id) return false;
    // The script's own object where KWin has one; else KWin starts every
    // script that is loaded and not running.
    const std::string scriptPath = "/Scripting/Script" + std::to_string(*id);
    if (!bus_.call(kKWinName, scriptPath.c_str(), "org.kde.kwin.Script", "run", {}) &&
        !bus_.call(kKWinName, kKWinScriptingPath, kKWinScripting, "start", {}))
      return false;
    loaded_ = true;
    return true;
  }

  void takeMessages() {
    dbus_connection_read_write(bus_.get(), 0);
    while (Message m{dbus_connection_pop_message(bus_.get())}) {
      if (dbus_message_is_signal(m.get(), DBUS_INTERFACE_LOCAL, "Disconnected")) {
        bus_.close();
        loaded_ = false;
        return;
      }
      if (dbus_message_is_signal(m.get(), DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
        const char* name = nullptr;
        const char* before = nullptr;
        const char* after = nullptr;
        Error e;
        if (dbus_message_get_args(m.get(), e.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                                  &before, DBUS_TYPE_STRING, &after, DBUS_TYPE_INVALID) &&
            std::string_view(name) == kKWinName) {
          // KWin ended or restarted: its scripts went with it.
          loaded_ = false;
          pid_ = 0;
          nextAttempt_ = Clock::now();
        }
        continue;
      }
      if (dbus_message_get_type(m.get()) == DBUS_MESSAGE_TYPE_METHOD_CALL) answer(m.get());
    }
  }

  void answer(DBusMessage* call) {
    const char* sender = dbus_message_get_sender(call);
    const bool ours =
        dbus_message_is_method_call(call, names::kDriverInterface, names::kActiveWindowMethod) &&
        dbus_message_has_path(call, names::kDriverPath);
    Message reply;
    if (!ours) {
      reply.reset(dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_METHOD, "no such method"));
    } else if (!sender || sender != kwinOwner_) {
      // Only KWin says which window is active.
      reply.reset(dbus_message_new_error(call, DBUS_ERROR_ACCESS_DENIED, "not the compositor"));
    } else {
      const auto pid = numberArgument(call, 0, kMaxPid);
      if (!pid) {
        reply.reset(dbus_message_new_error(call, DBUS_ERROR_INVALID_ARGS, "a process id"));
      } else {
        pid_ = static_cast<long>(*pid);
        reply.reset(dbus_message_new_method_return(call));
      }
    }
    if (reply && !dbus_message_get_no_reply(call))
      dbus_connection_send(bus_.get(), reply.get(), nullptr);
  }

  std::mutex mutex_;
  const std::filesystem::path script_;
  const std::chrono::milliseconds retry_;
  Bus bus_;
  std::string kwinOwner_;
  bool loaded_ = false;
  long pid_ = 0;
  Clock::time_point nextAttempt_{};
};

class GnomeForegroundProgram : public ForegroundProgram {
 public:
  GnomeForegroundProgram() : missing_(!sessionBusHasName(names::kShellName)) {}

  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    if (!bus_.connected() && !bus_.open()) return std::nullopt;
    std::string error;
    Message reply = bus_.call(names::kShellName, names::kShellPath, names::kShellInterface,
                              names::kFocusedPidMethod, {}, &error);
    if (!reply) {
      if (error == DBUS_ERROR_SERVICE_UNKNOWN || error == DBUS_ERROR_NAME_HAS_NO_OWNER)
        missing_ = true;
      if (!bus_.connected()) bus_.close();
      return std::nullopt;
    }
    missing_ = false;
    const auto pid = numberArgument(reply.get(), -1, kMaxPid);
    return pid && *pid > 0 ? programOfProcess(static_cast<long>(*pid)) : std::nullopt;
  }

  ForegroundSupport support() override {
    return missing_ ? ForegroundSupport::needsShellExtension : ForegroundSupport::answers;
  }

 private:
  std::mutex mutex_;
  Bus bus_;
  std::atomic<bool> missing_;
};

}  // namespace

bool sessionBusHasName(std::string_view name) {
  Bus bus;
  if (!bus.open()) return false;
  const std::string text(name);
  Message reply = bus.call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "NameHasOwner",
                           {text.c_str()});
  dbus_bool_t has = FALSE;
  Error e;
  return reply &&
         dbus_message_get_args(reply.get(), e.get(), DBUS_TYPE_BOOLEAN, &has, DBUS_TYPE_INVALID) &&
         has;
}

std::unique_ptr<ForegroundProgram> makeKWinForegroundProgram(std::filesystem::path script,
                                                             std::chrono::milliseconds retry) {
  return std::make_unique<KWinForegroundProgram>(std::move(script), retry);
}

std::unique_ptr<ForegroundProgram> makeGnomeForegroundProgram() {
  return std::make_unique<GnomeForegroundProgram>();
}

}  // namespace varnacle::platform
