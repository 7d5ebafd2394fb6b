#pragma once
// The Linux foreground program providers, one file each, and what they
// share; makeForegroundProgram() picks one from the desktop session. Tests
// make a provider directly, against a compositor or a bus of their own.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foreground_program.h"

namespace varnacle::platform {

// The program file of a running process (/proc/PID/exe); nothing when the
// process is gone or hides it.
std::optional<std::string> programOfProcess(long pid);

// X11: the root window's _NET_ACTIVE_WINDOW (foreground_program_linux.cpp).
std::unique_ptr<ForegroundProgram> makeX11ForegroundProgram();
// wlroots compositors: the IPC socket at `socket` (foreground_sway_linux.cpp).
std::unique_ptr<ForegroundProgram> makeSwayForegroundProgram(std::string socket);
// KWin: the script at `script`, loaded into KWin over the session bus; it
// reports the active window to us (foreground_dbus_linux.cpp). A failed
// connection or load is tried again after `retry`.
std::unique_ptr<ForegroundProgram> makeKWinForegroundProgram(
    std::filesystem::path script, std::chrono::milliseconds retry = std::chrono::seconds(5));
// GNOME Shell: the program's shell extension on the session bus
// (foreground_dbus_linux.cpp).
std::unique_ptr<ForegroundProgram> makeGnomeForegroundProgram();

// True when the session bus is reachable and `name` has an owner on it.
bool sessionBusHasName(std::string_view name);

// The names the KWin script and the shell extension use: the files in
// data/ spell the same.
namespace foreground_bus {
// Ours, called by the KWin script: ActiveWindow(pid).
inline constexpr const char* kDriverName = "org.varnacle.driver";
inline constexpr const char* kDriverPath = "/org/varnacle/driver/Foreground";
inline constexpr const char* kDriverInterface = "org.varnacle.driver.Foreground";
inline constexpr const char* kActiveWindowMethod = "ActiveWindow";
// The KWin script's plugin name.
inline constexpr const char* kKWinScriptName = "varnacle-driver-foreground";
// The shell extension's: FocusedWindowPid() → i.
inline constexpr const char* kShellName = "org.varnacle.driver.ShellFocus";
inline constexpr const char* kShellPath = "/org/varnacle/driver/ShellFocus";
inline constexpr const char* kShellInterface = "org.varnacle.driver.ShellFocus";
inline constexpr const char* kFocusedPidMethod = "FocusedWindowPid";
inline constexpr const char* kShellExtensionUuid = "foreground@varnacle.org";
}  // namespace foreground_bus

}  // namespace varnacle::platform
