#include "Workspace/SessionChoice.h"

#include <QString>
#include <QStringList>

#include <cstdlib>

#include "Workspace/GnomeShellWindows.h"
#include "Workspace/KWinWindows.h"
#include "Workspace/SwayWindows.h"
#include "Workspace/WlrToplevelWindows.h"
#include "Workspace/X11Desktop.h"

namespace quorvel::platform {
namespace {

std::string environmentValue(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool names(const SessionEnvironment &environment, const char *desktop) {
    const QStringList desktops =
        QString::fromUtf8(environment.currentDesktop).split(QLatin1Char(':'));
    return desktops.contains(QLatin1String(desktop), Qt::CaseInsensitive);
}

} // namespace

SessionEnvironment SessionEnvironment::current() {
    return {environmentValue("XDG_SESSION_TYPE"), environmentValue("XDG_CURRENT_DESKTOP"),
            environmentValue("WAYLAND_DISPLAY"), environmentValue("SWAYSOCK")};
}

std::optional<WaylandDesktop> waylandDesktopOf(const SessionEnvironment &environment) {
    if (environment.waylandDisplay.empty() && environment.sessionType != "wayland")
        return std::nullopt;
    if (!environment.swaySocket.empty()) return WaylandDesktop::sway;
    if (names(environment, "KDE")) return WaylandDesktop::kde;
    if (names(environment, "GNOME")) return WaylandDesktop::gnome;
    return WaylandDesktop::otherWlroots;
}

WindowChannels windowChannelsFor(const SessionEnvironment &environment,
                                 const QDBusConnection &bus) {
    const std::optional<WaylandDesktop> wayland = waylandDesktopOf(environment);
    if (!wayland) return {std::make_unique<X11Desktop>(), nullptr, true, false};
    std::unique_ptr<SessionWindows> compositor;
    switch (*wayland) {
    case WaylandDesktop::sway:
        compositor = std::make_unique<SwayWindows>(environment.swaySocket);
        break;
    case WaylandDesktop::kde: compositor = std::make_unique<KWinWindows>(bus); break;
    case WaylandDesktop::gnome: compositor = std::make_unique<GnomeShellWindows>(bus); break;
    case WaylandDesktop::otherWlroots:
        compositor = std::make_unique<WlrToplevelWindows>(environment.waylandDisplay);
        break;
    }
    // XWayland's windows, for closing them where the compositor's channel
    // is not there; what is in front is the compositor's to say.
    return {std::move(compositor), std::make_unique<X11Desktop>(), false,
            *wayland == WaylandDesktop::gnome};
}

} // namespace quorvel::platform
