#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <unistd.h>

#include "../Apps/ApplicationsTree.h"
#include "../Process/ProbeChild.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "FakeSystemd.h"
#include "ProcState.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/LinuxWorkspace.h"
#include "Workspace/X11Desktop.h"
#include "X11Session.h"

namespace {

using quorvel::platform::DesktopLauncher;
using quorvel::platform::InMemoryApplicationResolver;
using quorvel::platform::LinuxWorkspace;
using quorvel::platform::RunningApplication;
using quorvel::platform::SystemdUserScope;
using quorvel::platform::X11Desktop;
namespace WorkspaceProcesses = quorvel::WorkspaceProcesses;

constexpr int kPatience = 20000; // ms; only a broken run waits this long
const std::string kWindowApp = "io.quorvel.Test-Window";
const std::string kWindowlessApp = "io.quorvel.Windowless";

std::string canonical(const std::string &path) {
    return std::filesystem::canonical(path).string();
}

// Tests/Helpers/WindowChild as our own child, with one window on `display`.
class WindowChild {
public:
    static std::string program() { return canonical(QUORVEL_HELPER_DIR "/WindowChild"); }

    explicit WindowChild(const std::string &display) {
        process_.start(QString::fromStdString(program()), {QString::fromStdString(display)});
        started_ = process_.waitForStarted(kPatience);
    }
    ~WindowChild() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(kPatience);
    }
    WindowChild(const WindowChild &) = delete;
    WindowChild &operator=(const WindowChild &) = delete;

    bool started() const { return started_; }
    pid_t pid() const { return static_cast<pid_t>(process_.processId()); }
    bool running() const { return process_.state() == QProcess::Running; }
    // It left by itself, as a program does that honours a close request.
    bool exitsCleanly() {
        return process_.waitForFinished(kPatience) &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

private:
    QProcess process_;
    bool started_ = false;
};

// A process we started through the desktop and therefore cannot reap; it is
// killed at the end of the test if it is still there and still the helper.
class ForeignProcess {
public:
    explicit ForeignProcess(pid_t pid)
        : pid_(pid) {}
    ~ForeignProcess() {
        const auto current = WorkspaceProcesses::inspect(pid_);
        if (current && current->path == WindowChild::program()) ::kill(pid_, SIGKILL);
    }
    ForeignProcess(const ForeignProcess &) = delete;
    ForeignProcess &operator=(const ForeignProcess &) = delete;

private:
    pid_t pid_;
};

class WorkspaceOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_.ready());
        resolver_->addApplication(WindowChild::program(),
                                  {"/apps/window.desktop", kWindowApp, "Test Window", ""});
        resolver_->addApplication(canonical(ProbeChild::helperPath().toStdString()),
                                  {"/apps/windowless.desktop", kWindowlessApp, "Windowless", ""});
    }

    std::unique_ptr<LinuxWorkspace> workspace(std::unique_ptr<DesktopLauncher> launcher) {
        return std::make_unique<LinuxWorkspace>(
            resolver_, WorkspaceProcesses::currentUsersProcesses, WorkspaceProcesses::inspect,
            std::make_unique<X11Desktop>(session_.display()), std::move(launcher));
    }
    std::unique_ptr<LinuxWorkspace> workspace() {
        return workspace(std::make_unique<DesktopLauncher>(std::make_unique<SystemdUserScope>(
            []() -> std::optional<QDBusConnection> { return std::nullopt; })));
    }

    // The window of `pid` once the window manager lists it.
    uint32_t windowOf(pid_t pid) {
        std::vector<uint32_t> windows;
        const bool listed = QTest::qWaitFor(
            [&] {
                windows = desktop_.windowsOfPids({pid});
                return !windows.empty();
            },
            kPatience);
        EXPECT_TRUE(listed) << pid;
        EXPECT_EQ(windows.size(), 1u) << pid;
        return windows.empty() ? 0 : windows.front();
    }

    X11Session session_;
    X11Desktop desktop_{session_.display()};
    std::shared_ptr<InMemoryApplicationResolver> resolver_ =
        std::make_shared<InMemoryApplicationResolver>();
};

TEST_F(WorkspaceOnX11, TheApplicationOfTheActiveWindowIsFrontmost) {
    WindowChild first(session_.display());
    WindowChild second(session_.display());
    ASSERT_TRUE(first.started() && second.started());
    const uint32_t firstWindow = windowOf(first.pid());
    const uint32_t secondWindow = windowOf(second.pid());
    ASSERT_NE(firstWindow, secondWindow);

    const auto workspace = this->workspace();
    for (const auto &[window, pid] :
         {std::pair{firstWindow, first.pid()}, std::pair{secondWindow, second.pid()},
          std::pair{firstWindow, first.pid()}}) {
        SCOPED_TRACE(pid);
        session_.activate(window);
        // The window manager may still be settling focus on a window mapped
        // just before, so wait for the answer rather than read it once.
        std::optional<quorvel::platform::FrontmostApplication> frontmost;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                frontmost = workspace->frontmostApplication();
                return frontmost && frontmost->pid == pid;
            },
            kPatience));
        EXPECT_EQ(frontmost->bundleID, kWindowApp);
    }
}

TEST_F(WorkspaceOnX11, WindowsAreFoundForTheirOwnProcessesOnly) {
    WindowChild first(session_.display());
    WindowChild second(session_.display());
    ASSERT_TRUE(first.started() && second.started());
    const uint32_t firstWindow = windowOf(first.pid());
    const uint32_t secondWindow = windowOf(second.pid());

    EXPECT_EQ(desktop_.windowsOfPids({first.pid()}), std::vector<uint32_t>{firstWindow});
    const std::vector<uint32_t> both = desktop_.windowsOfPids({second.pid(), first.pid()});
    EXPECT_EQ(both.size(), 2u);
    EXPECT_NE(std::find(both.begin(), both.end(), secondWindow), both.end());
    EXPECT_TRUE(desktop_.windowsOfPids({}).empty());
    EXPECT_TRUE(desktop_.windowsOfPids({::getpid()}).empty());
}

TEST_F(WorkspaceOnX11, QuitClosesTheInstancesWindowAndTheApplicationLeaves) {
    WindowChild first(session_.display());
    WindowChild second(session_.display());
    ASSERT_TRUE(first.started() && second.started());
    windowOf(first.pid());
    windowOf(second.pid());

    const auto workspace = this->workspace();
    const std::vector<RunningApplication> instances = workspace->runningApplications(kWindowApp);
    ASSERT_EQ(instances.size(), 2u);
    const auto firstInstance = std::find_if(instances.begin(), instances.end(),
                                            [&](const auto &i) { return i.pid == first.pid(); });
    ASSERT_NE(firstInstance, instances.end());
    EXPECT_NE(firstInstance->startTime, 0u);

    workspace->requestQuit(*firstInstance);
    EXPECT_TRUE(first.exitsCleanly());
    EXPECT_TRUE(second.running());
    EXPECT_EQ(workspace->runningApplications(kWindowApp),
              (std::vector<RunningApplication>{
                  {second.pid(), WorkspaceProcesses::inspect(second.pid())->startTime}}));
}

TEST_F(WorkspaceOnX11, QuitTerminatesAnInstanceThatShowsNoWindow) {
    ProbeChild windowless(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(windowless.started());
    const auto workspace = this->workspace();
    const std::vector<RunningApplication> instances =
        workspace->runningApplications(kWindowlessApp);
    ASSERT_EQ(instances.size(), 1u);
    EXPECT_EQ(instances.front().pid, windowless.pid());

    workspace->requestQuit(instances.front());
    EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(windowless.pid()); }, kPatience));
}

TEST_F(WorkspaceOnX11, QuitOfAnInstanceWhosePidWasReusedDoesNothing) {
    ProbeChild windowless(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(windowless.started());
    const auto workspace = this->workspace();
    const auto instance = workspace->runningApplications(kWindowlessApp).at(0);
    workspace->requestQuit({instance.pid, instance.startTime + 1});
    // A SIGTERM sent above would end the child before this stop could take hold.
    ::kill(windowless.pid(), SIGSTOP);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return processState(windowless.pid()) == 'T' || processEnded(windowless.pid()); },
        kPatience));
    EXPECT_EQ(processState(windowless.pid()), 'T');
    ::kill(windowless.pid(), SIGCONT);
}

TEST_F(WorkspaceOnX11, OpenStartsTheEntryDetachedAndInAScopeOfItsOwn) {
    FakeSystemd systemd;
    ASSERT_TRUE(systemd.ready());
    ApplicationsTree tree;
    const std::string pidFile = tree.path("window.pid");
    const std::string entry =
        tree.write("share/applications/io.quorvel.Test-Window.desktop",
                   desktopEntry("Test Window",
                                WindowChild::program() + " " + session_.display() + " " + pidFile));
    resolver_->setIdentifier(entry, kWindowApp);
    const auto workspace =
        this->workspace(std::make_unique<DesktopLauncher>(std::make_unique<SystemdUserScope>(
            [&]() -> std::optional<QDBusConnection> { return systemd.clientConnection(); })));

    std::optional<std::optional<std::string>> result;
    workspace->openApplication(entry, [&](auto error) { result = error; });
    EXPECT_FALSE(result);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kPatience));
    EXPECT_EQ(*result, std::nullopt);

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(QString::fromStdString(pidFile)); }, kPatience));
    QFile file(QString::fromStdString(pidFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    ASSERT_GT(pid, 1);
    const ForeignProcess launched(pid);

    // Not our child, and out of our session, so it outlives us.
    const auto process = WorkspaceProcesses::inspect(pid);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->path, WindowChild::program());
    EXPECT_NE(process->ppid, ::getpid());
    EXPECT_EQ(::getsid(pid), pid);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !systemd.units().empty(); }, kPatience));
    EXPECT_EQ(systemd.units().front().name,
              QStringLiteral("app-quorvel-io.quorvel.Test\\x2dWindow-%1.scope").arg(pid));
    EXPECT_EQ(systemd.units().front().pids, QList<uint>{uint(pid)});

    windowOf(pid);
    const std::vector<RunningApplication> instances = workspace->runningApplications(kWindowApp);
    ASSERT_EQ(instances, (std::vector<RunningApplication>{{pid, process->startTime}}));
    workspace->requestQuit(instances.front());
    EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(pid); }, kPatience));
}

TEST(X11Desktop, WithoutAServerNothingIsActiveAndNoWindowExists) {
    X11Session session;
    ASSERT_TRUE(session.ready());
    X11Desktop desktop(session.display());
    WindowChild child(session.display());
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !desktop.windowsOfPids({child.pid()}).empty(); }, kPatience));

    session.stopServer();
    EXPECT_FALSE(desktop.activeWindowPid());
    EXPECT_TRUE(desktop.windowsOfPids({child.pid()}).empty());
    EXPECT_FALSE(desktop.closeWindow(1));

    X11Desktop nowhere(session.display());
    EXPECT_FALSE(nowhere.activeWindowPid());
    EXPECT_TRUE(nowhere.windowsOfPids({child.pid()}).empty());
    EXPECT_FALSE(nowhere.closeWindow(1));
}

TEST(X11Desktop, WithoutADisplayThereIsNoServerToAsk) {
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    X11Desktop desktop;
    EXPECT_FALSE(desktop.activeWindowPid());
    EXPECT_TRUE(desktop.windowsOfPids({::getpid()}).empty());
    EXPECT_FALSE(desktop.closeWindow(1));
    if (!saved.isNull()) qputenv("DISPLAY", saved);
}

} // namespace
