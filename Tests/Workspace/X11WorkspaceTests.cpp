#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <unistd.h>

#include "../Process/ProbeChild.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "ProcState.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/LinuxWorkspace.h"
#include "Workspace/WindowChannels.h"
#include "Workspace/X11Desktop.h"
#include "X11Session.h"

namespace {

using quorvel::platform::ApplicationQuitAction;
using quorvel::platform::DesktopLauncher;
using quorvel::platform::LinuxWorkspace;
using quorvel::platform::QuitRequest;
using quorvel::platform::RunningApplication;
using quorvel::platform::SystemdUserScope;
using quorvel::platform::UnseenWindows;
using quorvel::platform::WindowChannels;
using quorvel::platform::X11Desktop;
namespace WorkspaceProcesses = quorvel::WorkspaceProcesses;

constexpr int kPatience = 20000; // ms; only a broken run waits this long
const std::string kWindowApp = "io.quorvel.Test-Window";
const std::string kWindowlessApp = "io.quorvel.Windowless";

std::string windowProgram() {
    return std::filesystem::canonical(QUORVEL_HELPER_DIR "/WindowChild").string();
}

// Tests/Helpers/WindowChild as our own child, with one window on `display`.
struct WindowChild {
    QProcess process;

    explicit WindowChild(const std::string &display) {
        process.start(QString::fromStdString(windowProgram()), {QString::fromStdString(display)});
        process.waitForStarted(kPatience);
    }
    ~WindowChild() {
        process.kill();
        process.waitForFinished(kPatience);
    }
    pid_t pid() const { return static_cast<pid_t>(process.processId()); }
};

// A top-level window of this process itself, as the program's panel is one
// of its own; its connection also reads which window is active.
struct OwnWindow {
    int screen = 0;
    xcb_connection_t *xcb;
    xcb_ewmh_connection_t ewmh{};
    xcb_window_t id = XCB_NONE;

    explicit OwnWindow(const std::string &display)
        : xcb(xcb_connect(display.c_str(), &screen)) {
        if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(xcb, &ewmh), nullptr)) return;
        const xcb_screen_t *root = ewmh.screens[screen];
        id = xcb_generate_id(xcb);
        xcb_create_window(xcb, XCB_COPY_FROM_PARENT, id, root->root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, root->root_visual, 0, nullptr);
        xcb_ewmh_set_wm_pid(&ewmh, id, static_cast<uint32_t>(::getpid()));
        xcb_map_window(xcb, id);
        xcb_flush(xcb);
    }
    ~OwnWindow() {
        if (id != XCB_NONE) xcb_ewmh_connection_wipe(&ewmh);
        xcb_disconnect(xcb);
    }
    xcb_window_t activeWindow() {
        xcb_window_t active = XCB_NONE;
        xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, screen), &active,
                                         nullptr);
        return active;
    }
};

class WorkspaceOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_.ready());
        resolver_->addApplication(windowProgram(),
                                  {"/apps/window.desktop", kWindowApp, "Test Window", ""});
        resolver_->addApplication(
            std::filesystem::canonical(ProbeChild::helperPath().toStdString()).string(),
            {"/apps/windowless.desktop", kWindowlessApp, "Windowless", ""});
    }

    std::unique_ptr<LinuxWorkspace> workspace() {
        return std::make_unique<LinuxWorkspace>(
            resolver_, WorkspaceProcesses::currentUsersProcesses, WorkspaceProcesses::inspect,
            WindowChannels{std::make_unique<X11Desktop>(session_.display()), nullptr, true},
            ApplicationQuitAction(QDBusConnection(QStringLiteral("no bus"))),
            std::make_unique<DesktopLauncher>(std::make_unique<SystemdUserScope>(
                []() -> std::optional<QDBusConnection> { return std::nullopt; })));
    }

    // The window of `pid` once the window manager lists it.
    uint32_t windowOf(pid_t pid) {
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !desktop_.windowsOfPids({pid}).empty(); }, kPatience))
            << pid;
        const std::vector<uint32_t> windows = desktop_.windowsOfPids({pid});
        EXPECT_EQ(windows.size(), 1u) << pid;
        return windows.empty() ? 0 : windows.front();
    }

    X11Session session_;
    X11Desktop desktop_{session_.display()};
    std::shared_ptr<quorvel::platform::InMemoryApplicationResolver> resolver_ =
        std::make_shared<quorvel::platform::InMemoryApplicationResolver>();
};

// Our own windows never count as in front: the one before them still does.
TEST_F(WorkspaceOnX11, WindowsShowWhoIsInFrontAndQuitClosesOnlyTheInstancesOwn) {
    WindowChild first(session_.display()), second(session_.display());
    const uint32_t firstWindow = windowOf(first.pid()), secondWindow = windowOf(second.pid());
    ASSERT_NE(firstWindow, secondWindow);
    EXPECT_THAT(desktop_.windowsOfPids({second.pid(), first.pid(), ::getpid()}),
                ::testing::UnorderedElementsAre(firstWindow, secondWindow));
    OwnWindow own(session_.display());
    ASSERT_EQ(windowOf(::getpid()), own.id);

    const auto workspace = this->workspace();
    for (const auto &[window, pid] :
         {std::pair{firstWindow, first.pid()}, std::pair{own.id, first.pid()},
          std::pair{secondWindow, second.pid()}, std::pair{own.id, second.pid()},
          std::pair{firstWindow, first.pid()}}) {
        session_.activate(window);
        // The window manager may still be settling focus on a window mapped
        // just before, so wait for the answer rather than read it once.
        std::optional<quorvel::platform::FrontmostApplication> frontmost;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                if (own.activeWindow() != window) return false;
                frontmost = workspace->frontmostApplication();
                return frontmost && frontmost->pid == pid;
            },
            kPatience))
            << window << " " << pid;
        EXPECT_EQ(frontmost->bundleID, kWindowApp);
    }

    const auto startOf = [](pid_t pid) { return WorkspaceProcesses::inspect(pid)->startTime; };
    const RunningApplication firstInstance{first.pid(), startOf(first.pid())};
    const RunningApplication secondInstance{second.pid(), startOf(second.pid())};
    ASSERT_THAT(workspace->runningApplications(kWindowApp),
                ::testing::UnorderedElementsAre(firstInstance, secondInstance));
    EXPECT_EQ(workspace->requestQuit(kWindowApp, firstInstance, UnseenWindows::leave),
              QuitRequest::asked);
    // It leaves by itself, as a program does that honours a close request.
    ASSERT_TRUE(first.process.waitForFinished(kPatience));
    EXPECT_EQ(first.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.process.exitCode(), 0);
    EXPECT_EQ(second.process.state(), QProcess::Running);
    EXPECT_EQ(workspace->runningApplications(kWindowApp), std::vector{secondInstance});

    // With the server gone, as when the session crashes, nothing is in front and no window is.
    session_.stopServer();
    EXPECT_FALSE(workspace->frontmostApplication());
    EXPECT_TRUE(desktop_.windowsOfPids({second.pid()}).empty());
    EXPECT_FALSE(desktop_.closeWindow(secondWindow));
}

// A launcher script that did not exec passes no signal on, so its child
// gets its own.
TEST_F(WorkspaceOnX11, QuitTerminatesAnInstanceWithoutWindowsButNotAProcessThatTookItsPid) {
    const std::string probe = ProbeChild::helperPath().toStdString();
    // A shell of the test's own, so that no other shell on the machine counts.
    const QTemporaryDir dir;
    const std::string shell = ProbeChild::copyHelper(dir, "bin/sh", QStringLiteral("/bin/dash"));
    resolver_->addApplication(shell,
                              {"/apps/windowless.desktop", kWindowlessApp, "Windowless", ""});
    for (const bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "behind a shell" : "alone");
        ProbeChild windowless(wrapped ? shell : probe,
                              wrapped
                                  ? QStringList{"-c", "\"$0\"; :", QString::fromStdString(probe)}
                                  : QStringList{});
        ASSERT_TRUE(windowless.started());
        const pid_t application = wrapped ? firstChildOf(windowless.pid()) : windowless.pid();
        const auto workspace = this->workspace();
        const std::vector<RunningApplication> instances =
            workspace->runningApplications(kWindowlessApp);
        ASSERT_EQ(instances.size(), 1u);
        ASSERT_EQ(instances[0].pid, windowless.pid());

        workspace->requestQuit(kWindowlessApp, {instances[0].pid, instances[0].startTime + 1},
                               UnseenWindows::leave);
        // A SIGTERM sent above would end the child before this stop could take hold.
        ::kill(windowless.pid(), SIGSTOP);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return processState(windowless.pid()) == 'T' || processEnded(windowless.pid()); },
            kPatience));
        EXPECT_EQ(processState(windowless.pid()), 'T');
        ::kill(windowless.pid(), SIGCONT);

        EXPECT_EQ(workspace->requestQuit(kWindowlessApp, instances[0], UnseenWindows::leave),
                  QuitRequest::terminated);
        EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(application); }, kPatience));
    }
}

} // namespace
