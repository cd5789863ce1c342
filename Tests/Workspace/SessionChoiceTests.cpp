#include <gtest/gtest.h>

#include <QDBusConnection>

#include <filesystem>

#include "../Process/ProbeChild.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/LinuxWorkspace.h"
#include "Workspace/SessionChoice.h"

namespace {

using namespace quorvel::platform;

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
        {{"x11", "GNOMEISH\x1b[2J", "wayland-0", ""}, otherWlroots},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.environment.currentDesktop + " / " + c.environment.sessionType);
        EXPECT_EQ(waylandDesktopOf(c.environment), c.desktop);
    }
}

// A compositor that names windows by app id alone, with one window in front.
class AppIdWindows final : public SessionWindows {
public:
    explicit AppIdWindows(std::string front)
        : front_(std::move(front)) {}
    void followActivation() override {}
    bool isAvailable() override { return true; }
    std::optional<WindowOwner> frontWindow() override {
        return WindowOwner{std::nullopt, front_.empty() ? std::nullopt : std::optional(front_)};
    }
    std::size_t countWindows(const InstanceWindows &) override { return 0; }
    std::size_t closeWindows(const InstanceWindows &) override { return 0; }
    bool knowsProcesses() const override { return false; }

private:
    std::string front_;
};

// An app id is matched to the running application it names; one that names
// none could be any, so rules must not act, and an instance whose windows
// the compositor did not match is never sent a signal by a rule.
TEST(SessionChoice, AWindowKnownByAppIdAloneIsMatchedToItsApplicationOrLeavesTheFrontUnknown) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    const auto resolver = std::make_shared<InMemoryApplicationResolver>();
    resolver->addApplication(
        std::filesystem::canonical(ProbeChild::helperPath().toStdString()),
        {"/apps/org.xfce.mousepad.desktop", "org.xfce.mousepad", "Mousepad", ""});
    struct Case {
        std::string appId;
        std::optional<std::string> front; // as the governor sees it
    } const cases[] = {{"org.xfce.mousepad", "org.xfce.mousepad"},
                       {"org.xfce.mousepad.desktop", "org.xfce.mousepad"},
                       {"Mousepad", "org.xfce.mousepad"},
                       {"xfce.mousepad", std::nullopt},
                       {"mouse", std::nullopt},
                       {"", std::nullopt}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.appId);
        LinuxWorkspace workspace(resolver, quorvel::WorkspaceProcesses::currentUsersProcesses,
                                 quorvel::WorkspaceProcesses::inspect,
                                 {std::make_unique<AppIdWindows>(c.appId), nullptr, false},
                                 ApplicationQuitAction(QDBusConnection(QStringLiteral("none"))));
        EXPECT_EQ(workspace.frontmostApplication()->bundleID, c.front);
        EXPECT_EQ(workspace.canSeeFrontmost(), c.front || c.appId.empty());
        EXPECT_FALSE(workspace.canSeeWindows());
        const std::vector<RunningApplication> instances =
            workspace.runningApplications("org.xfce.mousepad");
        ASSERT_EQ(instances.size(), 1u);
        EXPECT_EQ(workspace.requestQuit("org.xfce.mousepad", instances[0], UnseenWindows::leave),
                  QuitRequest::notSent);
    }
}

} // namespace
