#include <gtest/gtest.h>

#include "Workspace/SessionChoice.h"

namespace {

using quorvel::platform::SessionEnvironment;
using quorvel::platform::WaylandDesktop;
using quorvel::platform::waylandDesktopOf;

TEST(SessionChoice, EachWaylandDesktopIsSeenThroughItsOwnChannel) {
    using enum WaylandDesktop;
    struct Case {
        SessionEnvironment environment;
        std::optional<WaylandDesktop> desktop;
    };
    const Case cases[] = {
        {{"x11", "GNOME", "", ""}, std::nullopt},
        {{"", "XFCE", "", ""}, std::nullopt},
        {{"tty", "", "", ""}, std::nullopt},
        {{"wayland", "GNOME", "wayland-0", ""}, gnome},
        {{"wayland", "ubuntu:GNOME", "wayland-0", ""}, gnome},
        {{"", "KDE", "wayland-0", ""}, kde},
        {{"wayland", "sway", "wayland-1", "/run/user/1000/sway-ipc.sock"}, sway},
        // sway without its socket still offers the toplevel protocol.
        {{"wayland", "sway", "wayland-1", ""}, otherWlroots},
        {{"wayland", "Hyprland", "wayland-1", ""}, otherWlroots},
        {{"wayland", "labwc:wlroots", "", ""}, otherWlroots},
        {{"wayland", "", "", ""}, otherWlroots},
        {{"x11", "GNOMEISH\x1b[2J", "wayland-0", ""}, otherWlroots},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.environment.currentDesktop + " / " + c.environment.sessionType);
        EXPECT_EQ(waylandDesktopOf(c.environment), c.desktop);
    }
}

} // namespace
