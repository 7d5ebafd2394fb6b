#pragma once
// A private session bus for one test, and scripted peers on it that stand in
// for desktop services: each owns a bus name, answers the calls given to it
// on a thread of its own, and can send calls without waiting for a reply (as
// a KWin script's callDBus does).
#include <dbus/dbus.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "child_process.h"

namespace varnacle::platform::test {

// dbus-daemon on a socket in `folder`; DBUS_SESSION_BUS_ADDRESS names it
// while the object lives.
class PrivateBus {
 public:
  explicit PrivateBus(const std::filesystem::path& folder) {
    if (!findProgram("dbus-daemon")) return;
    const std::filesystem::path socket = folder / "bus";
    address_ = "unix:path=" + socket.string();
    Child::Options options;
    options.log = folder / "bus.log";
    daemon_ = Child(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_}, options);
    if (!waitFor([&] { return std::filesystem::exists(socket); })) {
      address_.clear();
      return;
    }
    if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) saved_ = old;
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  }
  ~PrivateBus() {
    if (saved_) {
      setenv("DBUS_SESSION_BUS_ADDRESS", saved_->c_str(), 1);
    } else {
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
  }
  bool running() const { return !address_.empty(); }

 private:
  Child daemon_;
  std::string address_;
  std::optional<std::string> saved_;
};

class BusPeer {
 public:
  // Answers a call: a reply, or null for "no such method".
  using Handler = std::function<DBusMessage*(DBusMessage* call)>;

  // Owns `name` on the session bus (an empty name: owns none).
  explicit BusPeer(const std::string& name) {
    DBusError e;
    dbus_error_init(&e);
    connection_ = dbus_bus_get_private(DBUS_BUS_SESSION, &e);
    dbus_error_free(&e);
    if (!connection_) return;
    dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    if (!name.empty() &&
        dbus_bus_request_name(connection_, name.c_str(), DBUS_NAME_FLAG_DO_NOT_QUEUE, nullptr) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
      close();
      return;
    }
    thread_ = std::thread([this] { serve(); });
  }
  ~BusPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close();
  }
  bool ready() const { return connection_ != nullptr; }

  // `member` is "path interface.method".
  void answer(const std::string& member, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[member] = std::move(handler);
  }

  // A call with one int32 argument, sent without waiting for its reply.
  void send(const std::string& destination, const std::string& path, const std::string& interface,
            const std::string& method, dbus_int32_t argument) {
    std::lock_guard lock(mutex_);
    DBusMessage* m = dbus_message_new_method_call(destination.c_str(), path.c_str(),
                                                  interface.c_str(), method.c_str());
    dbus_message_append_args(m, DBUS_TYPE_INT32, &argument, DBUS_TYPE_INVALID);
    dbus_connection_send(connection_, m, nullptr);
    dbus_connection_flush(connection_);
    dbus_message_unref(m);
  }

 private:
  void serve() {
    while (!stop_) {
      DBusMessage* m = nullptr;
      {
        std::lock_guard lock(mutex_);
        dbus_connection_read_write(connection_, 0);
        m = dbus_connection_pop_message(connection_);
      }
      if (!m) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
        const std::string member = text(dbus_message_get_path(m)) + " " +
                                   text(dbus_message_get_interface(m)) + "." +
                                   text(dbus_message_get_member(m));
        Handler handler;
        {
          std::lock_guard lock(mutex_);
          if (auto it = handlers_.find(member); it != handlers_.end()) handler = it->second;
        }
        DBusMessage* reply = handler ? handler(m) : nullptr;
        if (!reply) reply = dbus_message_new_error(m, DBUS_ERROR_UNKNOWN_METHOD, member.c_str());
        std::lock_guard lock(mutex_);
        dbus_connection_send(connection_, reply, nullptr);
        dbus_connection_flush(connection_);
        dbus_message_unref(reply);
      }
      dbus_message_unref(m);
    }
  }
  static std::string text(const char* part) { return part ? part : ""; }
  void close() {
    if (!connection_) return;
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
    connection_ = nullptr;
  }

  DBusConnection* connection_ = nullptr;
  std::mutex mutex_;
  std::map<std::string, Handler> handlers_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace varnacle::platform::test
