#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <optional>
#include <string>

#include "Support/HeadlessSway.h"
#include "Support/WaylandWindow.h"
#include "Workspace/WlrToplevelWindows.h"

namespace {

using quorvel::platform::InstanceWindows;
using quorvel::platform::WindowOwner;
using quorvel::platform::WlrToplevelWindows;
using quorvel::testing::WaylandWindow;

constexpr int kPatience = 20000; // ms; only a broken run waits this long
const std::string kFirstApp = "io.quorvel.Test-First";
const std::string kSecondApp = "io.quorvel.Test-Second";
const std::string kOwnApp = "io.quorvel.Quorvel";

InstanceWindows instanceOf(const std::string &appId) {
    return {{}, appId};
}

std::optional<WindowOwner> ownerOf(const std::string &appId) {
    return WindowOwner{std::nullopt, appId};
}

// Our own window never counts as in front; closing the one in front leaves
// nothing in front, and a dead compositor leaves no answers.
TEST(WlrToplevelWindowsOnSway, FollowsTheFrontWindowAndClosesAnApplicationsWindows) {
    quorvel::testing::HeadlessSway sway;
    ASSERT_TRUE(sway.started());
    // An absolute socket path, as HeadlessSway gives it.
    WlrToplevelWindows windows(sway.waylandDisplay().toStdString());
    windows.followActivation();
    ASSERT_TRUE(windows.isAvailable());

    WaylandWindow first(sway.clientEnvironment(), kFirstApp);
    WaylandWindow second(sway.clientEnvironment(), kSecondApp),
        own(sway.clientEnvironment(), kOwnApp);
    for (const std::string &appId : {kFirstApp, kSecondApp, kOwnApp}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return windows.countWindows(instanceOf(appId)) == 1; },
                                    kPatience))
            << appId;
    }

    for (const auto &[focused, front] :
         {std::pair{kSecondApp, kSecondApp}, std::pair{kFirstApp, kFirstApp},
          std::pair{kOwnApp, kFirstApp}}) {
        ASSERT_TRUE(sway.run(QString::fromStdString("[app_id=\"" + focused + "\"] focus")))
            << focused;
        // sway announces the activation before it answers anything asked
        // after the focus command, so the answer is settled after one round.
        ASSERT_TRUE(windows.isAvailable());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return windows.frontWindow() == ownerOf(front); }, kPatience))
            << focused << " " << front;
    }

    for (const auto &[applicationID, count] :
         {std::pair{kFirstApp, 1}, std::pair{kFirstApp + ".desktop", 1},
          std::pair{std::string("io.quorvel.Test"), 0}, std::pair{std::string(), 0}}) {
        EXPECT_EQ(windows.countWindows(instanceOf(applicationID)), count) << applicationID;
    }

    // Closing asks as the close button would: the helper then exits with 0
    // by itself (nothing here signals it), and the window in front is gone.
    EXPECT_EQ(windows.closeWindows(instanceOf(kFirstApp + ".desktop")), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.exitedByItself(); }, kPatience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windows.frontWindow(); }, kPatience));
    EXPECT_EQ(windows.countWindows(instanceOf(kFirstApp)), 0u);
    EXPECT_TRUE(second.running());

    sway.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windows.isAvailable(); }, kPatience));
    EXPECT_FALSE(windows.frontWindow());
    EXPECT_EQ(windows.countWindows(instanceOf(kSecondApp)), 0u);
}

} // namespace
