#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <unistd.h>

#include "Support/HeadlessSway.h"
#include "Workspace/SwayWindows.h"

namespace {

using quorvel::platform::InstanceWindows;
using quorvel::platform::SwayWindows;
using quorvel::platform::WindowOwner;
using quorvel::testing::HeadlessSway;

constexpr int kPatience = 20000; // ms; only a broken run waits this long

// A native Wayland window of a child process, ended with the test whatever
// happens.
class TestWindow {
public:
    TestWindow(const HeadlessSway &sway, const QString &appId)
        : appId_(appId.toStdString()) {
        process_.setProcessEnvironment(sway.clientEnvironment());
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QStringLiteral(QUORVEL_HELPER_DIR "/WaylandWindowChild"), {appId});
        process_.waitForStarted(10000);
    }
    ~TestWindow() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(10000);
    }

    int32_t pid() const { return static_cast<int32_t>(process_.processId()); }
    WindowOwner owner() const { return {pid(), appId_}; }
    InstanceWindows instance() const { return {{pid()}, appId_}; }
    bool exitedByItself() const {
        return process_.state() == QProcess::NotRunning &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

private:
    QProcess process_;
    std::string appId_;
};

TEST(SwayWindows, FollowsTheFrontWindowCountsAndClosesPolitely) {
    HeadlessSway sway;
    ASSERT_TRUE(sway.started()) << "sway did not start headless as nobody";
    SwayWindows windows(sway.swaySocket().toStdString());
    windows.followActivation();
    ASSERT_TRUE(windows.isAvailable());
    EXPECT_EQ(windows.frontWindow(), std::nullopt);

    TestWindow a(sway, QStringLiteral("io.quorvel.TestWindowA"));
    TestWindow own(sway, QStringLiteral("io.quorvel.Quorvel"));
    TestWindow b(sway, QStringLiteral("io.quorvel.TestWindowB"));
    for (const TestWindow *window : {&a, &own, &b}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return windows.countWindows(window->instance()) == 1; },
                                    kPatience));
    }

    // What the user activates, and the window then in front.
    const struct {
        const TestWindow *activated;
        const TestWindow *front;
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
                  {{{}, "io.quorvel.TestWindowA"}, 0}};
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
    TestWindow c(sway, QStringLiteral("io.quorvel.TestWindowC"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows.frontWindow() == c.owner(); }, kPatience));
    sway.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windows.isAvailable(); }, kPatience));
    EXPECT_EQ(windows.frontWindow(), std::nullopt);
    EXPECT_EQ(windows.countWindows(c.instance()), 0u);
}

} // namespace
