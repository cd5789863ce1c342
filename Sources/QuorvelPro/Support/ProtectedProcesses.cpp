#include "Support/ProtectedProcesses.h"

#include <algorithm>
#include <initializer_list>

namespace quorvel::ProtectedProcesses {
namespace {

enum class Match {
    name,             // a group's display name, exactly
    id,               // a desktop file ID, exactly
    idFamily,         // a desktop file ID and its sub-identifiers ("<id>.<more>")
    idPrefix,         // any desktop file ID that begins so
    executable,       // a process's name or executable file name, exactly
    executablePrefix, // any such name that begins so
};

struct Entry {
    Match match;
    std::string_view text;
};

// Everything that may not be frozen or restarted. The desktop's own parts
// are named by desktop file ID where they install one (the resolver groups
// their processes under it), and always by executable, since most of them
// run without an entry of their own. Freezing any of them can take away the
// panel, the tray or the window manager the user would need to resume it.
constexpr Entry kProtected[] = {
    // The operating system's own processes and this program, by name.
    {Match::name, "WindowServer"},
    {Match::name, "loginwindow"},
    {Match::name, "kernel_task"},
    {Match::name, "launchd"},
    {Match::name, "SystemUIServer"},
    {Match::name, "Dock"},
    {Match::name, "Finder"},
    {Match::name, "ControlCenter"},
    {Match::name, "NotificationCenter"},
    {Match::name, "Spotlight"},
    {Match::name, "WindowManager"},
    {Match::name, "coreaudiod"},
    {Match::name, "cfprefsd"},
    {Match::name, "UserEventAgent"},
    {Match::name, "universalaccessd"},
    {Match::name, "Quorvel"},
    {Match::name, "Quorvel Pro"},
    {Match::idPrefix, "com.apple."},
    // This program.
    {Match::id, "io.quorvel.Quorvel"},
    {Match::executable, "quorvel"},
    // What every session stands on: display servers, the service manager,
    // the message buses, the sound servers and the desktop portals.
    {Match::idPrefix, "org.freedesktop."},
    {Match::executable, "Xorg"},
    {Match::executable, "Xwayland"},
    {Match::executable, "systemd"},
    {Match::executable, "dbus-daemon"},
    {Match::executable, "dbus-broker"},
    {Match::executable, "pipewire"},
    {Match::executable, "wireplumber"},
    {Match::executable, "pulseaudio"},
    {Match::executable, "xdg-desktop-portal"},
    {Match::executablePrefix, "xdg-desktop-portal-"},
    // GNOME.
    {Match::idFamily, "org.gnome.Shell"},
    {Match::idPrefix, "org.gnome.SettingsDaemon."},
    {Match::executable, "gnome-shell"},
    {Match::executable, "gnome-session-binary"},
    {Match::executablePrefix, "gsd-"},
    // KDE Plasma.
    {Match::id, "org.kde.plasmashell"},
    {Match::id, "org.kde.kwin"},
    {Match::id, "org.kde.ksmserver"},
    {Match::executable, "plasmashell"},
    {Match::executable, "kwin_x11"},
    {Match::executable, "kwin_wayland"},
    {Match::executable, "ksmserver"},
    // Xfce: its panel runs its plugins, the tray among them, in wrappers.
    {Match::executable, "xfce4-panel"},
    {Match::executable, "wrapper-2.0"},
    {Match::executable, "xfwm4"},
    {Match::executable, "xfdesktop"},
    {Match::executable, "xfsettingsd"},
    {Match::executable, "xfconfd"},
    {Match::executable, "xfce4-session"},
    {Match::executable, "xfce4-notifyd"},
    // MATE.
    {Match::id, "mate-panel"},
    {Match::id, "marco"},
    {Match::executable, "mate-panel"},
    {Match::executable, "marco"},
    {Match::executable, "mate-session"},
    {Match::executable, "mate-settings-daemon"},
    {Match::executable, "mate-notification-daemon"},
    {Match::executable, "notification-area-applet"},
    // Cinnamon: the shell is panel, window manager and notifications at once.
    {Match::id, "cinnamon"},
    {Match::id, "cinnamon2d"},
    {Match::id, "cinnamon-killer-daemon"},
    {Match::id, "nemo-autostart"},
    {Match::id, "csd-automount"},
    {Match::executable, "cinnamon"},
    {Match::executable, "cinnamon2d"},
    {Match::executable, "cinnamon-launcher"},
    {Match::executable, "cinnamon-session"},
    {Match::executable, "cinnamon-killer-daemon"},
    {Match::executable, "nemo-desktop"},
    {Match::executablePrefix, "csd-"},
    // LXQt and LXDE, with the window manager they come with.
    {Match::executable, "lxqt-panel"},
    {Match::executable, "lxqt-session"},
    {Match::executable, "lxqt-notificationd"},
    {Match::executable, "lxqt-globalkeysd"},
    {Match::executable, "lxpanel"},
    {Match::executable, "lxsession"},
    {Match::executable, "openbox"},
    // Budgie.
    {Match::id, "org.buddiesofbudgie.BudgiePanel"},
    {Match::id, "org.buddiesofbudgie.BudgieWm"},
    {Match::id, "org.buddiesofbudgie.BudgieDaemon"},
    {Match::executable, "budgie-panel"},
    {Match::executable, "budgie-wm"},
    {Match::executable, "budgie-daemon"},
    {Match::executable, "budgie-desktop-view"},
    // The wlroots compositors, their bars, backgrounds, lockers and
    // notification daemons.
    {Match::executable, "sway"},
    {Match::executable, "swaybar"},
    {Match::executable, "swaybg"},
    {Match::executable, "swayidle"},
    {Match::executable, "swaylock"},
    {Match::executable, "swaync"},
    {Match::executable, "river"},
    {Match::executable, "wayfire"},
    {Match::executable, "wf-panel"},
    {Match::executable, "wf-background"},
    {Match::executable, "wf-dock"},
    {Match::executable, "labwc"},
    {Match::executable, "Hyprland"},
    {Match::executable, "dwl"},
    {Match::executable, "waybar"},
    {Match::executable, "yambar"},
    {Match::executable, "mako"},
    {Match::executable, "dunst"},
    {Match::executable, "fnott"},
};

bool matches(const Entry &entry, std::string_view text) {
    switch (entry.match) {
    case Match::name:
    case Match::id:
    case Match::executable: return text == entry.text;
    case Match::idFamily:
        return text == entry.text ||
               (text.starts_with(entry.text) && text.size() > entry.text.size() &&
                text[entry.text.size()] == '.');
    case Match::idPrefix:
    case Match::executablePrefix: return text.starts_with(entry.text);
    }
    return false;
}

bool anyEntry(std::initializer_list<Match> kinds, std::string_view text) {
    return std::ranges::any_of(kProtected, [&](const Entry &entry) {
        return std::ranges::find(kinds, entry.match) != kinds.end() && matches(entry, text);
    });
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
    static const std::set<std::string, std::less<>> protectedNames = [] {
        std::set<std::string, std::less<>> found;
        for (const Entry &entry : kProtected)
            if (entry.match == Match::name) found.emplace(entry.text);
        return found;
    }();
    return protectedNames;
}

bool isSessionBundleID(std::string_view bundleID) {
    return anyEntry({Match::id, Match::idFamily, Match::idPrefix}, bundleID);
}

bool isSessionExecutable(std::string_view fileName) {
    return anyEntry({Match::executable, Match::executablePrefix}, fileName);
}

bool isProtected(const AppGroup &group) {
    if (names().contains(group.displayName)) return true;
    if (group.bundleID && isSessionBundleID(*group.bundleID)) return true;
    return std::ranges::any_of(group.processes, runsSessionExecutable);
}

} // namespace quorvel::ProtectedProcesses
