#include "Apps/LaunchWrappers.h"

#include <utility>

namespace quorvel::platform {
namespace {

constexpr std::pair<std::string_view, ProgramKind> kWrappers[] = {
    {"env", ProgramKind::launcher},
    {"nice", ProgramKind::launcher},
    {"ionice", ProgramKind::launcher},
    {"taskset", ProgramKind::launcher},
    {"nohup", ProgramKind::launcher},
    {"setsid", ProgramKind::launcher},
    {"stdbuf", ProgramKind::launcher},
    {"timeout", ProgramKind::launcher},
    {"sudo", ProgramKind::launcher},
    {"pkexec", ProgramKind::launcher},
    {"bwrap", ProgramKind::launcher},
    {"firejail", ProgramKind::launcher},
    {"flatpak", ProgramKind::launcher},
    {"snap", ProgramKind::launcher},
    {"systemd-run", ProgramKind::launcher},
    {"dbus-launch", ProgramKind::launcher},
    {"dbus-run-session", ProgramKind::launcher},
    {"xdg-open", ProgramKind::launcher},
    {"gtk-launch", ProgramKind::launcher},
    {"wine", ProgramKind::launcher},
    {"sh", ProgramKind::shell},
    {"bash", ProgramKind::shell},
    {"dash", ProgramKind::shell},
    {"zsh", ProgramKind::shell},
    {"ksh", ProgramKind::shell},
    {"mksh", ProgramKind::shell},
    {"fish", ProgramKind::shell},
    {"csh", ProgramKind::shell},
    {"tcsh", ProgramKind::shell},
    {"python", ProgramKind::interpreter},
    {"perl", ProgramKind::interpreter},
    {"ruby", ProgramKind::interpreter},
    {"node", ProgramKind::interpreter},
    {"nodejs", ProgramKind::interpreter},
    {"java", ProgramKind::interpreter},
    {"gjs", ProgramKind::interpreter},
    {"lua", ProgramKind::interpreter},
    {"php", ProgramKind::interpreter},
    {"tclsh", ProgramKind::interpreter},
    {"wish", ProgramKind::interpreter},
};

// "python3.11" → "python", "lua5.4" → "lua"; names made of digits stay.
std::string_view withoutVersion(std::string_view name) {
    const size_t end = name.find_last_not_of("0123456789.");
    return end == std::string_view::npos ? name : name.substr(0, end + 1);
}

} // namespace

ProgramKind programKind(std::string_view programName) {
    const std::string_view base = withoutVersion(programName);
    for (const auto &[name, kind] : kWrappers) {
        if (name == base) return kind;
    }
    return ProgramKind::application;
}

} // namespace quorvel::platform
