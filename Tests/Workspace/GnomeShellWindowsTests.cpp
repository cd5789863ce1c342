#include "Workspace/GnomeShellWindows.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <list>
#include <map>
#include <memory>
#include <unistd.h>

#include "Support/PrivateSessionBus.h"
#include "Support/WaylandWindow.h"

namespace quorvel::platform {
namespace {

bool waitFor(const std::function<bool()> &done) {
    return QTest::qWaitFor(done, 30000);
}

void write(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text);
}

// A headless GNOME Shell on buses and folders of its own, with Quorvel's
// extension switched on the way a user does it. Its process group and the
// windows opened on it are killed at the end, however the test went.
class ShellSession {
public:
    ShellSession() {
        const QString home = dir_.filePath("home"), runtime = dir_.filePath("run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString extension = home + "/.local/share/gnome-shell/extensions/quorvel@quorvel.io";
        QDir().mkpath(extension);
        for (const QString name : {"/metadata.json", "/extension.js"})
            EXPECT_TRUE(QFile::copy(
                QUORVEL_BUILD_DIR "/share/gnome-shell/extensions/quorvel@quorvel.io" + name,
                extension + name));
        write(dir_.filePath("config/glib-2.0/settings/keyfile"),
              "[org/gnome/shell]\nenabled-extensions=['quorvel@quorvel.io']\n"
              "disable-user-extensions=false\n");
        const QString systemSocket = dir_.filePath("system_bus_socket");
        write(dir_.filePath("system.conf"),
              "<busconfig><type>system</type><listen>unix:path=" + systemSocket.toUtf8() +
                  "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                  "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                  "</policy></busconfig>\n");
        systemBus_.start("dbus-daemon", {"--nofork", "--print-address",
                                         "--config-file=" + dir_.filePath("system.conf")});
        // Listening once it has said where.
        EXPECT_TRUE(systemBus_.waitForReadyRead());

        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.remove("DISPLAY");
        for (const QString &entry :
             QStringList{"HOME=" + home, "XDG_RUNTIME_DIR=" + runtime,
                         "XDG_DATA_HOME=" + home + "/.local/share",
                         "XDG_CONFIG_HOME=" + dir_.filePath("config"),
                         "XDG_CACHE_HOME=" + dir_.filePath("cache"), "GSETTINGS_BACKEND=keyfile",
                         "DBUS_SESSION_BUS_ADDRESS=" + sessionBus.address(),
                         "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + systemSocket,
                         "WAYLAND_DISPLAY=quorvel-test",
                         // Qt's Wayland plugin leaks at exit, which
                         // would make the window's exit status 1.
                         "ASAN_OPTIONS=detect_leaks=0", "QT_QPA_PLATFORM=wayland"})
            environment_.insert(entry.section('=', 0, 0), entry.section('=', 1));
        shell_.setProcessEnvironment(environment_);
        shell_.setProcessChannelMode(QProcess::MergedChannels);
        shell_.setChildProcessModifier([] { ::setpgid(0, 0); });
        shell_.start("gnome-shell", {"--headless", "--wayland", "--no-x11", "--virtual-monitor",
                                     "1280x800", "--wayland-display=quorvel-test"});
        EXPECT_TRUE(shell_.waitForStarted());
    }

    ~ShellSession() {
        if (::testing::Test::HasFailure()) std::cerr << shell_.readAll().toStdString();
        killShell();
        windows_.clear();
        systemBus_.kill();
        systemBus_.waitForFinished();
    }

    // Kills the Shell at once: asked to quit, GNOME Shell 43 crashes as often as not.
    void killShell() {
        if (shell_.processId() > 0) ::kill(-static_cast<pid_t>(shell_.processId()), SIGKILL);
        shell_.waitForFinished();
    }

    // A native Wayland window of a process of its own.
    testing::WaylandWindow *openWindow(const QString &applicationID) {
        return &windows_.emplace_back(environment_, applicationID.toStdString());
    }

    testing::PrivateSessionBus sessionBus;

private:
    QTemporaryDir dir_;
    QProcess systemBus_, shell_;
    QProcessEnvironment environment_;
    std::list<testing::WaylandWindow> windows_;
};

TEST(GnomeShellWindows, FollowsFocusCountsAndClosesThroughTheExtension) {
    ShellSession session;
    QDBusConnection bus = session.sessionBus.connect();
    GnomeShellWindows windows(bus);
    ASSERT_TRUE(waitFor([&] { return windows.isAvailable(); }));
    windows.followActivation();
    // The Shell ends its start in the overview, where no window takes focus.
    const auto overview = [&](const char *method, const QVariantList &value) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            "org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties", method);
        message.setArguments(QVariantList{"org.gnome.Shell", "OverviewActive"} + value);
        return bus.call(message).arguments().value(0).value<QDBusVariant>().variant().toBool();
    };
    ASSERT_TRUE(waitFor([&] { return overview("Get", {}); }));
    overview("Set", {QVariant::fromValue(QDBusVariant(false))});
    ASSERT_TRUE(waitFor([&] { return !overview("Get", {}); }));

    // The process whose window has focus, as the extension tells anyone who asks.
    const auto focusedPid = [&] {
        const QDBusMessage answer = bus.call(QDBusMessage::createMethodCall(
            "io.quorvel.Shell", "/io/quorvel/Shell", "io.quorvel.Shell", "FocusedWindow"));
        return answer.arguments().value(0).toLongLong();
    };
    std::map<QString, testing::WaylandWindow *> opened;
    const auto ownerOf = [&](const char *applicationID) {
        return WindowOwner{opened.at(applicationID)->pid(), applicationID};
    };
    // Each window takes focus when it opens; Quorvel's own never counts.
    const struct {
        const char *open;
        const char *front;
    } steps[] = {{"test.A", "test.A"}, {"io.quorvel.Quorvel", "test.A"}, {"test.B", "test.B"}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.open);
        opened[step.open] = session.openWindow(step.open);
        ASSERT_TRUE(waitFor([&] { return focusedPid() == opened[step.open]->pid(); }));
        // The focus signal came before that answer; let it be delivered.
        QCoreApplication::processEvents();
        EXPECT_TRUE(waitFor([&] { return windows.frontWindow() == ownerOf(step.front); }));
    }

    const int32_t a = ownerOf("test.A").pid.value(), b = ownerOf("test.B").pid.value();
    const struct {
        std::vector<int32_t> pids;
        std::size_t windows;
    } counts[] = {{{a}, 1}, {{a, b}, 2}, {{static_cast<int32_t>(::getpid())}, 0}, {{}, 0}};
    for (const auto &count : counts)
        EXPECT_EQ(windows.countWindows({count.pids, ""}), count.windows);

    // The test sends no signal: A ends because its window was asked to close.
    EXPECT_EQ(windows.closeWindows({{a}, ""}), 1u);
    EXPECT_TRUE(waitFor([&] { return opened["test.A"]->exitedByItself(); }));
    EXPECT_EQ(windows.frontWindow(), ownerOf("test.B"));
    // With B closed, focus falls to Quorvel's window: nothing is in front.
    EXPECT_EQ(windows.closeWindows({{b}, ""}), 1u);
    EXPECT_TRUE(waitFor([&] { return !windows.frontWindow(); }));

    session.killShell();
    EXPECT_TRUE(waitFor([&] { return !windows.isAvailable(); }));
    EXPECT_EQ(windows.frontWindow(), std::nullopt);
}

} // namespace
} // namespace quorvel::platform
