#include "Support/ProtectedProcesses.h"

#include <algorithm>
#include <iterator>

namespace quorvel::ProtectedProcesses {
namespace {

bool isSelfOrBelow(std::string_view id, std::string_view parent) {
    return id == parent ||
           (id.starts_with(parent) && id.size() > parent.size() && id[parent.size()] == '.');
}

std::string_view baseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool runsSessionExecutable(const RawProcess &process) {
    return isSessionExecutable(process.name) ||
           (!process.path.empty() && isSessionExecutable(baseName(process.path)));
}

} // namespace

const std::set<std::string, std::less<>> &names() {
    static const std::set<std::string, std::less<>> protectedNames{
        "WindowServer",       "loginwindow",    "kernel_task",      "launchd",
        "SystemUIServer",     "Dock",           "Finder",           "ControlCenter",
        "NotificationCenter", "Spotlight",      "WindowManager",    "coreaudiod",
        "cfprefsd",           "UserEventAgent", "universalaccessd", "Quorvel",
        "Quorvel Pro",
    };
    return protectedNames;
}

bool isSessionBundleID(std::string_view bundleID) {
    constexpr std::string_view exact[]{"org.kde.plasmashell", "org.kde.kwin", "org.kde.ksmserver",
                                       "io.quorvel.Quorvel"};
    constexpr std::string_view prefixes[]{"org.gnome.SettingsDaemon.", "org.freedesktop."};
    return isSelfOrBelow(bundleID, "org.gnome.Shell") ||
           std::ranges::find(exact, bundleID) != std::end(exact) ||
           std::ranges::any_of(
               prefixes, [&](std::string_view prefix) { return bundleID.starts_with(prefix); });
}

bool isSessionExecutable(std::string_view fileName) {
    constexpr std::string_view programs[]{"gnome-shell",
                                          "plasmashell",
                                          "kwin_x11",
                                          "kwin_wayland",
                                          "Xorg",
                                          "Xwayland",
                                          "gnome-session-binary",
                                          "ksmserver",
                                          "systemd",
                                          "dbus-daemon",
                                          "dbus-broker",
                                          "pipewire",
                                          "wireplumber",
                                          "pulseaudio",
                                          "xdg-desktop-portal",
                                          "quorvel"};
    return std::ranges::find(programs, fileName) != std::end(programs) ||
           fileName.starts_with("xdg-desktop-portal-");
}

bool isProtected(const AppGroup &group) {
    if (names().contains(group.displayName)) return true;
    if (group.bundleID &&
        (group.bundleID->starts_with("com.apple.") || isSessionBundleID(*group.bundleID))) {
        return true;
    }
    return std::ranges::any_of(group.processes, runsSessionExecutable);
}

} // namespace quorvel::ProtectedProcesses
