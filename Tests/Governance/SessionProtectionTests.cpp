#include <gtest/gtest.h>
#include <unistd.h>

#include "Governance/GovernorHarness.h"
#include "Governance/LiveGovernor.h"
#include "Support/PrivateSessionBus.h"
#include "Support/TrayDesktop.h"
#include "Workspace/SessionTrayHosts.h"

namespace quorvel {
namespace {

const auto protectedReason = [] { return L10n::t("governance.block.protected"); };

// Each desktop's own parts are refused, by desktop file ID or by the
// executable a process runs; its ordinary applications are not.
TEST(SessionProtection, EveryDesktopsOwnPartsAreProtected) {
    const std::tuple<std::optional<std::string>, std::string, bool> cases[] = {
        {"panel-preferences", "/usr/bin/xfce4-panel", true},
        {{}, "/usr/lib/x86_64-linux-gnu/xfce4/panel/wrapper-2.0", true},
        {"xfce-wm-settings", "/usr/bin/xfwm4-settings", false},
        {"mate-panel", "/opt/elsewhere/panel", true},
        {{}, "/usr/lib/mate-notification-daemon/mate-notification-daemon", true},
        {"nemo-autostart", "/usr/bin/nemo-desktop", true},
        {{}, "/usr/lib/x86_64-linux-gnu/cinnamon-settings-daemon/csd-xsettings", true},
        {"nemo", "/usr/bin/nemo", false},
        {{}, "/usr/bin/lxqt-panel", true},
        {{}, "/usr/bin/lxpanel", true},
        {"org.buddiesofbudgie.BudgiePanel", "/opt/elsewhere/panel", true},
        {"org.buddiesofbudgie.BudgieDesktopSettings", "/usr/bin/budgie-desktop-settings", false},
        {{}, "/usr/bin/waybar", true},
        {{}, "/usr/bin/mako", true},
        {{}, "/usr/bin/swaymsg", false},
    };
    for (const auto &[id, executable, isProtected] : cases) {
        AppGroup group = testing::application("Part", id, {300});
        group.processes[0].path = executable;
        group.processes[0].name = executable.substr(executable.rfind('/') + 1).substr(0, 15);
        EXPECT_EQ(testing::GovernorHarness().governor->blockReason(group),
                  isProtected ? std::optional(protectedReason()) : std::nullopt)
            << executable;
    }
}

// Whoever holds the tray this program's icon sits in is refused: the owner
// of the StatusNotifierWatcher on a real bus, and trayer, which owns the
// XEmbed tray selection of a real X server's screen.
TEST(SessionProtection, WhoeverHoldsTheTrayIsRefusedForFreezing) {
    test::TrayDesktop desktop;
    ASSERT_TRUE(desktop.ready());
    testing::PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    ProbeChild watcher(QUORVEL_HELPER_DIR "/TrayWatcherChild", {bus.address()});
    ASSERT_TRUE(watcher.started());
    std::vector<RawProcess> hostProcesses;
    for (const RawProcess &process : PerProcessMemory::listProcesses(true))
        if (process.pid == watcher.pid() || (process.ppid == getpid() && process.name == "trayer"))
            hostProcesses.push_back(process);
    ASSERT_EQ(hostProcesses.size(), 2u);

    auto hosts = std::make_shared<platform::SessionTrayHosts>(
        bus.connect(),
        std::make_unique<platform::X11Desktop>(
            desktop.environment().value(QStringLiteral("DISPLAY")).toStdString()),
        std::chrono::milliseconds(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hosts->pids().size() == 2; }, 20000));
    ProcessGovernor::Dependencies dependencies =
        ProcessGovernor::liveDependencies(WorkspaceProcesses::liveWorkspace(
            std::make_shared<platform::InMemoryApplicationResolver>()));
    dependencies.trayHosts = hosts;
    ProcessGovernor governor(std::move(dependencies));
    for (const RawProcess &process : hostProcesses) {
        AppGroup group = testing::application("Tray", "org.example.Tray", {});
        group.processes = {process};
        EXPECT_FALSE(governor.suspend(group, false)) << process.name;
        EXPECT_EQ(governor.history().front().detail,
                  L10n::t("governance.detail.blocked", protectedReason()));
        EXPECT_NE(processState(process.pid), 'T') << process.name;
        ::kill(process.pid, SIGCONT);
    }
}

} // namespace
} // namespace quorvel
