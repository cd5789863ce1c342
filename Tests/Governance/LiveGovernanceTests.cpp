#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <unistd.h>
#include <vector>

#include "Governance/LiveGovernor.h"

namespace quorvel {
namespace {

using testing::allStopped;
using testing::GovernedApplication;
using testing::kEntryID;
using testing::LiveGovernor;
using testing::noneStopped;
using testing::sample;

TEST(LiveGovernance, FreezeStopsEveryProcessOfTheGroupAndResumeContinuesThem) {
    GovernedApplication application;
    ProbeChild child(application.program, {"touch", "16", "helpers", "2", "tethered"});
    ASSERT_TRUE(child.started());
    const AppGroup group = sample(application, {child.pid()});
    ASSERT_EQ(group.processes.size(), 3u) << "the application and its two helpers";
    ASSERT_EQ(group.bundleID, kEntryID);
    LiveGovernor live(application);

    EXPECT_TRUE(live.governor->suspend(group, false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return allStopped(group.pids()); }, 10000));
    const AppGroup frozen = sample(application, {child.pid()});
    EXPECT_TRUE(frozen.isStopped) << "the next sample shows it frozen";
    EXPECT_TRUE(live.governor->resume(frozen));
    EXPECT_TRUE(QTest::qWaitFor([&] { return noneStopped(group.pids()); }, 10000));
    ASSERT_EQ(live.governor->history().size(), 2u);
    for (const ActionRecord &record : live.governor->history())
        EXPECT_TRUE(record.success) << rawValue(record.action);
}

TEST(LiveGovernance, AGentleRestartQuitsTheApplicationAndStartsItAgainDetachedFromItsEntry) {
    GovernedApplication application;
    LiveGovernor live(application);
    ASSERT_TRUE(live.indexed());
    ProbeChild first(application.program, {"touch", "16"});
    ASSERT_TRUE(first.started());
    // Whatever happens below, the instance it starts goes with the test.
    const auto programPids = [&] {
        std::vector<int32_t> pids;
        for (const auto &process : WorkspaceProcesses::currentUsersProcesses())
            if (process.path == application.program) pids.push_back(process.pid);
        return pids;
    };
    const auto endInstances = qScopeGuard([&] {
        for (int32_t pid : programPids()) ::kill(pid, SIGTERM);
    });
    const AppGroup group = sample(application, {first.pid()});
    ASSERT_EQ(live.workspace->runningApplications(kEntryID).size(), 1u);

    std::optional<bool> outcome;
    live.governor->restart(group, false, [&](bool success) { outcome = success; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 30000));
    EXPECT_TRUE(*outcome);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return first.process().state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.process().exitCode(), 0) << "it quit cleanly when asked";
    const auto instances = [&] { return live.workspace->runningApplications(kEntryID); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return instances().size() == 1; }, 10000))
        << programPids().size() << " running its program, " << instances().size() << " instances";
    const int32_t pid = instances()[0].pid;
    EXPECT_NE(pid, first.pid());
    // It outlives Quorvel: neither its child nor in its session.
    const auto reopened = WorkspaceProcesses::inspect(pid);
    ASSERT_TRUE(reopened);
    EXPECT_NE(reopened->ppid, ::getpid());
    EXPECT_EQ(::getsid(pid), pid);
    // Started not to take the focus: its startup identifier has the time 0.
    QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
    ASSERT_TRUE(environment.open(QIODevice::ReadOnly));
    EXPECT_TRUE(std::ranges::any_of(environment.readAll().split('\0'), [](const QByteArray &v) {
        return v.startsWith("DESKTOP_STARTUP_ID=") && v.endsWith("_TIME0");
    }));
}

} // namespace
} // namespace quorvel
