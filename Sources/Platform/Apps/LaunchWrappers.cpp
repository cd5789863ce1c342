#include "Apps/LaunchWrappers.h"

#include <algorithm>
#include <iterator>

namespace quorvel::platform {
namespace {

constexpr std::string_view kWrappers[] = {
    // Environment, priority and sandbox launchers.
    "env", "nice", "ionice", "taskset", "nohup", "setsid", "stdbuf", "timeout", "sudo", "pkexec",
    "bwrap", "firejail", "flatpak", "snap", "systemd-run", "dbus-launch", "dbus-run-session",
    "xdg-open", "gtk-launch", "wine",
    // Shells.
    "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh",
    // Interpreters and runtimes.
    "python", "perl", "ruby", "node", "nodejs", "java", "gjs", "lua", "php", "tclsh", "wish"};

// "python3.11" → "python", "lua5.4" → "lua"; names made of digits stay.
std::string_view withoutVersion(std::string_view name) {
    const size_t end = name.find_last_not_of("0123456789.");
    return end == std::string_view::npos ? name : name.substr(0, end + 1);
}

} // namespace

bool isLaunchWrapper(std::string_view programName) {
    const std::string_view base = withoutVersion(programName);
    return std::find(std::begin(kWrappers), std::end(kWrappers), base) != std::end(kWrappers);
}

} // namespace quorvel::platform
