#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "Governance/LiveGovernor.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using testing::allStopped;
using testing::GovernedApplication;
using testing::kEntryID;
using testing::LiveGovernor;
using testing::noneStopped;
using testing::sample;

TEST(LiveGovernance, FreezingStopsEveryProcessOfTheGroupAndResumingContinuesThem) {
    GovernedApplication application;
    ProbeChild child(application.program(), {"touch", "16", "helpers", "2", "tethered"});
    ASSERT_TRUE(child.started());
    const AppGroup group = sample(application, {child.pid()});
    ASSERT_EQ(group.processes.size(), 3u) << "the application and its two helpers";
    ASSERT_EQ(group.bundleID, kEntryID);
    LiveGovernor live(application);

    EXPECT_TRUE(live.governor->suspend(group, false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return allStopped(group.pids()); }, 10000));
    ASSERT_EQ(live.governor->history().size(), 1u);
    EXPECT_EQ(live.governor->history()[0].detail,
              L10n::plural("governance.detail.froze", 3, Format::bytes(group.current)));
    EXPECT_TRUE(live.governor->history()[0].success);
    const AppGroup frozen = sample(application, {child.pid()});
    EXPECT_TRUE(frozen.isStopped) << "the next sample shows it frozen";

    EXPECT_TRUE(live.governor->resume(frozen));
    EXPECT_TRUE(QTest::qWaitFor([&] { return noneStopped(group.pids()); }, 10000));
    ASSERT_EQ(live.governor->history().size(), 2u);
    EXPECT_EQ(live.governor->history()[0].action, GovernanceAction::resume);
    EXPECT_EQ(live.governor->history()[0].detail, L10n::plural("governance.detail.resumed", 3));
    EXPECT_TRUE(live.governor->history()[0].success);
}

TEST(LiveGovernance, AGentleRestartQuitsTheApplicationAndStartsItAgainFromItsEntry) {
    GovernedApplication application;
    LiveGovernor live(application);
    ASSERT_TRUE(live.indexed());
    ProbeChild first(application.program(), {"touch", "16"});
    ASSERT_TRUE(first.started());
    const AppGroup group = sample(application, {first.pid()});
    ASSERT_EQ(live.workspace->runningApplications(kEntryID).size(), 1u);

    std::optional<bool> outcome;
    live.governor->restart(group, false, [&](bool success) { outcome = success; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 30000));
    std::vector<platform::RunningApplication> instances =
        live.workspace->runningApplications(kEntryID);
    // Whatever happens below, the new instance goes with the test.
    const auto endInstances = qScopeGuard([&] {
        for (const platform::RunningApplication &instance :
             live.workspace->runningApplications(kEntryID))
            ::kill(instance.pid, SIGTERM);
    });
    EXPECT_TRUE(*outcome);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return first.process().state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.process().exitCode(), 0) << "it quit cleanly when asked";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !live.workspace->runningApplications(kEntryID).empty(); }, 10000));
    instances = live.workspace->runningApplications(kEntryID);
    ASSERT_EQ(instances.size(), 1u);
    EXPECT_NE(instances[0].pid, first.pid());
    ASSERT_EQ(live.governor->history().size(), 1u);
    EXPECT_EQ(live.governor->history()[0].detail,
              L10n::t("governance.detail.reopened", Format::bytes(group.current)));
    EXPECT_TRUE(live.governor->history()[0].success);
}

TEST(LiveGovernance, FocusModeFreezesItsTargetsAndReadsMemoryBeforeAndAfter) {
    GovernedApplication application;
    ProbeChild child(application.program(), {"touch", "16", "helpers", "1", "tethered"});
    ASSERT_TRUE(child.started());
    const AppGroup group = sample(application, {child.pid()});
    LiveGovernor live(application);
    QSignalSpy sessions(live.governor.get(), &ProcessGovernor::focusSessionChanged);

    live.governor->enterFocus({group});
    ASSERT_TRUE(live.governor->focusSession());
    EXPECT_EQ(live.governor->focusSession()->frozenPIDs, group.pids());
    EXPECT_TRUE(live.governor->focusSession()->before.has_value());
    EXPECT_FALSE(live.governor->focusSession()->after.has_value());
    EXPECT_TRUE(QTest::qWaitFor([&] { return allStopped(group.pids()); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessions.count() == 2; }, 10000));
    EXPECT_TRUE(live.governor->focusSession()->after.has_value());
    EXPECT_TRUE(live.governor->focusSession()->freeChange().has_value());

    live.governor->exitFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return noneStopped(group.pids()); }, 10000));
    ASSERT_EQ(live.governor->history().size(), 2u);
    EXPECT_EQ(live.governor->history()[1].detail,
              L10n::plural("governance.detail.focusFroze", 1, Format::bytes(group.current)));
    EXPECT_EQ(live.governor->history()[0].detail,
              L10n::plural("governance.detail.focusResumed", 1));
}

TEST(LiveGovernance, AtTheEndEverythingItFrozeIsResumedButNotAProcessThatTookItsPlace) {
    GovernedApplication application;
    const std::string successor = QUORVEL_HELPER_DIR "/ProbeChild";
    ProbeChild frozen(application.program(), {"touch", "16", "tethered"});
    ProbeChild focused(application.program(), {"helpers", "1", "tethered"});
    ProbeChild replaced(application.program(),
                        {"tethered", "become", QString::fromStdString(successor)});
    ASSERT_TRUE(frozen.started() && focused.started() && replaced.started());
    LiveGovernor live(application);
    const AppGroup frozenGroup = sample(application, {frozen.pid()});
    const AppGroup focusGroup = sample(application, {focused.pid()});
    const AppGroup replacedGroup = sample(application, {replaced.pid()});
    EXPECT_TRUE(live.governor->suspend(frozenGroup, false));
    EXPECT_TRUE(live.governor->suspend(replacedGroup, false));
    live.governor->enterFocus({focusGroup});
    std::vector<int32_t> governed = frozenGroup.pids();
    for (int32_t pid : focusGroup.pids()) governed.push_back(pid);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return allStopped(governed) && allStopped({replaced.pid()}); }, 10000));

    // Under the same pid another program now runs, and something else
    // stopped it: it is not Quorvel's to resume.
    ASSERT_EQ(::kill(replaced.pid(), SIGCONT), 0);
    ASSERT_EQ(::kill(replaced.pid(), SIGUSR1), 0);
    ASSERT_TRUE(replaced.process().waitForReadyRead(10000));
    EXPECT_EQ(replaced.process().readLine().trimmed(), "ready");
    ASSERT_EQ(::kill(replaced.pid(), SIGSTOP), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return allStopped({replaced.pid()}); }, 10000));

    const std::size_t records = live.governor->history().size();
    live.governor->resumeEverythingFrozen();
    EXPECT_TRUE(QTest::qWaitFor([&] { return noneStopped(governed); }, 10000));
    EXPECT_TRUE(allStopped({replaced.pid()}));
    EXPECT_EQ(live.governor->history().size(), records);
}

TEST(LiveGovernance, NeitherAReusedPidNorAnotherUsersProcessIsSignalled) {
    GovernedApplication application;
    ProbeChild own(application.program(), {"tethered"});
    ASSERT_TRUE(own.started());
    LiveGovernor live(application);
    AppGroup stale = sample(application, {own.pid()});
    ASSERT_EQ(stale.processes.size(), 1u);
    stale.processes[0].startTime += 1; // sampled before the pid was taken again
    EXPECT_FALSE(live.governor->suspend(stale, false));
    EXPECT_FALSE(live.governor->history()[0].success);
    EXPECT_TRUE(noneStopped({own.pid()}));

    if (::getuid() != 0) GTEST_SKIP() << "starting another user's process needs root";
    ProbeChild other(application.program(), {"as-nobody", "tethered"});
    ASSERT_TRUE(other.started());
    const AppGroup foreign = sample(application, {other.pid()}, false);
    ASSERT_EQ(foreign.pids(), std::vector<int32_t>{other.pid()});
    EXPECT_FALSE(live.governor->suspend(foreign, false));
    EXPECT_FALSE(live.governor->resume(foreign));
    EXPECT_FALSE(live.governor->history()[0].success);
    EXPECT_TRUE(noneStopped({other.pid()}));
}

} // namespace
} // namespace quorvel
