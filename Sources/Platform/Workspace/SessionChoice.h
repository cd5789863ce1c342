#pragma once

#include <QDBusConnection>

#include <optional>
#include <string>

#include "Workspace/WindowChannels.h"

namespace quorvel::platform {

// What the environment says of the graphical session.
struct SessionEnvironment {
    std::string sessionType;    // XDG_SESSION_TYPE
    std::string currentDesktop; // XDG_CURRENT_DESKTOP: names separated by colons
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string swaySocket;     // SWAYSOCK

    static SessionEnvironment current();
};

// The Wayland desktops that each offer their own way to see windows.
enum class WaylandDesktop { sway, kde, gnome, otherWlroots };

// Nothing on an X11 session (or none at all).
std::optional<WaylandDesktop> waylandDesktopOf(const SessionEnvironment &environment);

// The channels that show this session's windows; `bus` is the session bus.
WindowChannels windowChannelsFor(const SessionEnvironment &environment, const QDBusConnection &bus);

} // namespace quorvel::platform
