#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <unistd.h>

#include "Support/HeadlessSway.h"
#include "Support/WaylandWindow.h"
#include "Workspace/SwayWindows.h"

namespace {

using quorvel::platform::InstanceWindows;
using quorvel::platform::SwayWindows;
using quorvel::platform::WindowOwner;
using quorvel::testing::HeadlessSway;
using quorvel::testing::WaylandWindow;

constexpr int kPatience = 20000; // ms; only a broken run waits this long

TEST(SwayWindows, FollowsTheFrontWindowCountsAndClosesPolitely) {
    HeadlessSway sway;
    ASSERT_TRUE(sway.started()) << "sway did not start headless as nobody";
    SwayWindows windows(sway.swaySocket().toStdString());
    windows.followActivation();
    ASSERT_TRUE(windows.isAvailable());
    EXPECT_EQ(windows.frontWindow(), std::nullopt);

    WaylandWindow a(sway.clientEnvironment(), "io.quorvel.WaylandWindowA");
    WaylandWindow own(sway.clientEnvironment(), "io.quorvel.Quorvel");
    WaylandWindow b(sway.clientEnvironment(), "io.quorvel.WaylandWindowB");
    for (const WaylandWindow *window : {&a, &own, &b}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return windows.countWindows(window->instance()) == 1; },
                                    kPatience));
    }

    // What the user activates, and the window then in front.
    const struct {
        const WaylandWindow *activated;
        const WaylandWindow *front;
    } steps[] = {{&a, &a}, {&own, &a}, {&b, &b}, {&own, &b}, {&a, &a}, {&b, &b}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.activated->pid());
        ASSERT_TRUE(sway.run(QStringLiteral("[pid=%1] focus").arg(step.activated->pid())));
        // sway sent the event along with its reply; take it before looking.
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([&] { return windows.frontWindow() == step.front->owner(); },
                                    kPatience));
    }

    const struct {
        InstanceWindows instance;
        std::size_t count;
    } counts[] = {{a.instance(), 1},
                  {{{a.pid(), b.pid()}, {}}, 2},
                  {{{static_cast<int32_t>(::getpid())}, {}}, 0},
                  {{{}, "io.quorvel.WaylandWindowA"}, 0}};
    for (const auto &expected : counts) {
        EXPECT_EQ(windows.countWindows(expected.instance), expected.count);
    }

    // A window that is not in front closes without changing the front; the
    // one in front takes the front along. Neither process is ever signalled.
    EXPECT_EQ(windows.closeWindows(a.instance()), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return a.exitedByItself(); }, kPatience));
    EXPECT_EQ(windows.countWindows(a.instance()), 0u);
    EXPECT_EQ(windows.frontWindow(), b.owner());
    EXPECT_EQ(windows.closeWindows(b.instance()), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return b.exitedByItself(); }, kPatience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows.frontWindow() == std::nullopt; }, kPatience));

    // A compositor that dies takes everything with it.
    WaylandWindow c(sway.clientEnvironment(), "io.quorvel.WaylandWindowC");
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows.frontWindow() == c.owner(); }, kPatience));
    sway.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windows.isAvailable(); }, kPatience));
    EXPECT_EQ(windows.frontWindow(), std::nullopt);
    EXPECT_EQ(windows.countWindows(c.instance()), 0u);
}

} // namespace
