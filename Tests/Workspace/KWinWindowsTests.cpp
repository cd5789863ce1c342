#include "Support/PrivateSessionBus.h"
#include "Support/WaylandWindow.h"
#include "Workspace/KWinWindows.h"

#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <list>
#include <unistd.h>

using quorvel::platform::InstanceWindows;
using quorvel::platform::KWinWindows;
using quorvel::platform::WindowOwner;
using quorvel::testing::WaylandWindow;

namespace quorvel::platform {
void PrintTo(const WindowOwner &owner, std::ostream *out) {
    *out << "pid " << owner.pid.value_or(0) << " app " << owner.applicationID.value_or("(none)");
}
} // namespace quorvel::platform

namespace {

constexpr int kDeadlineMs = 30000;

// A headless KWin on a private bus, in a process group of its own that ends
// with the object. Runs a copy of the binary: the installed one carries a
// file capability this sandbox refuses. The copy keeps the name, as KWin's
// built-in Qt platform only loads into a program called kwin_wayland.
class KWinSession {
public:
    KWinSession() {
        const QString binary = dir_.filePath(QStringLiteral("kwin_wayland"));
        if (!bus.started() || !QFile::copy(QStringLiteral("/usr/bin/kwin_wayland"), binary)) return;
        // The folder is ours alone (0700): runtime folder and home at once.
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        environment_.insert(QStringLiteral("HOME"), dir_.path());
        environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment_.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("quorvel-kwin"));
        environment_.remove(QStringLiteral("DISPLAY"));
        kwin_.setProcessEnvironment(environment_);
        kwin_.setProcessChannelMode(QProcess::MergedChannels);
        kwin_.setStandardOutputFile(dir_.filePath(QStringLiteral("kwin.log")));
        kwin_.setChildProcessModifier([] { ::setsid(); });
        kwin_.start(binary,
                    {"--virtual", "--width", "1280", "--height", "800", "--socket", "quorvel-kwin",
                     "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"});
        if (kwin_.waitForStarted(10000)) group_ = static_cast<pid_t>(kwin_.processId());
    }
    ~KWinSession() {
        stop();
        windows_.clear();
        QFile log(dir_.filePath(QStringLiteral("kwin.log")));
        if (::testing::Test::HasFailure() && log.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "KWin's output:\n%s\n", log.readAll().constData());
    }

    bool started() const { return group_ > 0; }

    // Ends KWin and all it started; true when none of them is left.
    bool stop() {
        if (group_ > 0) ::kill(-group_, SIGKILL);
        kwin_.waitForFinished(10000);
        return group_ > 0 && ::kill(-group_, 0) == -1 && errno == ESRCH;
    }

    // A native Wayland window of `appID`, ended (if still there) with the session.
    WaylandWindow &openWindow(const char *appID) {
        return windows_.emplace_back(environment_, appID);
    }

    // Runs `script` in KWin as a user's script would be.
    bool runScript(const QString &script) {
        static int count = 0;
        QFile file(dir_.filePath(QStringLiteral("test%1.js").arg(++count)));
        if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0) return false;
        file.close();
        QDBusInterface scripting("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", control);
        const QDBusReply<int> id = scripting.call("loadScript", file.fileName(), file.fileName());
        return id.isValid() && QDBusInterface("org.kde.KWin", QStringLiteral("/%1").arg(id.value()),
                                              "org.kde.kwin.Script", control)
                                       .call("run")
                                       .type() == QDBusMessage::ReplyMessage;
    }

    quorvel::testing::PrivateSessionBus bus;
    QDBusConnection control = bus.connect();

private:
    QTemporaryDir dir_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
    QProcess kwin_;
    pid_t group_ = 0;
    std::list<WaylandWindow> windows_;
};

// Counts the calls KWin makes to it: a script calls it once its work is done,
// after the reports our script sent before (one sender, one receiver: in order).
struct Marker final : QDBusVirtualObject {
    int calls = 0;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &bus) override {
        ++calls;
        return bus.send(message.createReply());
    }
};

// Activates the window of process %1, then calls the marker at %2.
const char *const kActivate = R"js(
var c = workspace.clientList().filter(function (w) { return w.pid === %1; })[0];
function mark() { callDBus("%2", "/marker", "test.Marker", "mark"); }
workspace.clientActivated.connect(function (w) { if (w === c) mark(); });
if (workspace.activeClient === c) mark(); else workspace.activeClient = c;
)js";

TEST(KWinWindows, FollowsCountsAndClosesTheWindowsOfARealKWin) {
    KWinSession session;
    ASSERT_TRUE(session.started());
    QDBusConnection bus = session.bus.connect();
    Marker marker;
    bus.registerVirtualObject(QStringLiteral("/marker"), &marker);
    KWinWindows windows(bus);
    windows.followActivation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows.isAvailable(); }, kDeadlineMs));

    // Each window opens and is activated; our own must not become the front one.
    const struct {
        const char *appID;
        int front; // the step whose window is in front after this one
    } steps[] = {{"test.A", 0}, {"io.quorvel.Quorvel", 0}, {"test.B", 2}};
    std::vector<WaylandWindow *> opened;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.appID);
        const int32_t pid = opened.emplace_back(&session.openWindow(step.appID))->pid();
        const auto shown = [&] { return windows.countWindows({{pid}, {}}) == 1; };
        ASSERT_TRUE(QTest::qWaitFor(shown, kDeadlineMs));
        const int marks = marker.calls + 1;
        ASSERT_TRUE(
            session.runScript(QString::fromUtf8(kActivate).arg(pid).arg(bus.baseService())));
        ASSERT_TRUE(QTest::qWaitFor([&] { return marker.calls >= marks; }, kDeadlineMs));
        EXPECT_EQ(windows.frontWindow(),
                  (WindowOwner{opened[step.front]->pid(), steps[step.front].appID}));
    }

    const InstanceWindows a{{opened[0]->pid()}, "test.A"};
    EXPECT_EQ(windows.countWindows({{::getpid()}, "test.A"}), 0u);
    // A report from anyone but KWin is refused.
    QDBusMessage lie = QDBusMessage::createMethodCall(bus.baseService(), "/io/quorvel/KWinWindows",
                                                      "io.quorvel.KWinWindows", "report");
    lie << QStringLiteral(R"({"windows":[]})");
    QDBusPendingCall refused = session.control.asyncCall(lie, 5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.isFinished(); }, kDeadlineMs));
    EXPECT_EQ(refused.error().type(), QDBusError::AccessDenied);
    EXPECT_EQ(windows.countWindows(a), 1u);

    // Closed as the close button would: the process quits by itself (nothing
    // here signals it before the end of the test).
    EXPECT_EQ(windows.closeWindows(a), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened[0]->exitedByItself(); }, kDeadlineMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows.countWindows(a) == 0; }, kDeadlineMs));

    // KWin gone, and all it started: the channel says so and knows no window.
    EXPECT_TRUE(session.stop());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windows.isAvailable(); }, kDeadlineMs));
    EXPECT_EQ(windows.frontWindow(), std::nullopt);
    EXPECT_EQ(windows.countWindows({{opened[2]->pid()}, {}}), 0u);
}

} // namespace
