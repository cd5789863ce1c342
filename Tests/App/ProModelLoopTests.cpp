#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "../Governance/GovernorHarness.h"
#include "../Process/ProbeChild.h"
#include "../Workspace/ProcState.h"
#include "App/ProModel.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"
#include "System/PerProcessMemory.h"
#include "System/WorkspaceProcesses.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

using test::fixedReading;
using test::scriptedParts;

// A listing that counts how often the sampler read it.
struct CountedListing {
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);

    std::function<std::vector<RawProcess>()> lister() const {
        return [calls = calls] {
            ++*calls;
            return std::vector<RawProcess>{{7, 1, 1000, 1, 4096, "tool", "/bin/tool", 5}};
        };
    }
};

// The current user's processes among `pids`, folded into one application so
// that the governor will act on them.
AppGroup applicationOf(const std::vector<int32_t> &pids) {
    AppGroup group;
    group.key = "/tmp/quorvel-test/Frozen.desktop";
    group.appPath = group.key;
    group.displayName = "Frozen";
    for (const RawProcess &process : PerProcessMemory::listProcesses(true)) {
        if (std::ranges::find(pids, process.pid) != pids.end()) group.processes.push_back(process);
    }
    return group;
}

TEST(ProModelLoop, StartsWithoutGroupsAtTheDefaultInterval) {
    ProModel model(scriptedParts(fixedReading(std::nullopt)));
    EXPECT_TRUE(model.groups().empty());
    EXPECT_EQ(model.intervalSeconds(), 2.0);
    EXPECT_TRUE(model.focusCandidates().empty());
}

TEST(ProModelLoop, TheLiveModelDeliversGroupsAndPressureOnTheMainThread) {
    ProModel model;
    bool onMainThread = true;
    int groupDeliveries = 0;
    int pressureDeliveries = 0;
    const auto checkThread = [&] {
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
    };
    QObject::connect(&model, &ProModel::groupsChanged, [&](const std::vector<AppGroup> &groups) {
        checkThread();
        ++groupDeliveries;
        EXPECT_EQ(groups, model.groups()) << "stored before it is announced";
    });
    QObject::connect(&model, &ProModel::pressureChanged, [&] {
        checkThread();
        ++pressureDeliveries;
    });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return groupDeliveries > 0 && pressureDeliveries > 0; }, 30000));
    EXPECT_TRUE(onMainThread);
    EXPECT_TRUE(model.pressure().vm.has_value());
    ASSERT_FALSE(model.groups().empty()) << "this test program is a process of its own";
    EXPECT_LE(model.groups().size(), 40u);
    EXPECT_TRUE(std::ranges::is_sorted(model.groups(), std::greater<>(), &AppGroup::current));
    const int32_t self = static_cast<int32_t>(QCoreApplication::applicationPid());
    EXPECT_TRUE(std::ranges::any_of(model.groups(), [&](const AppGroup &group) {
        return std::ranges::count(group.pids(), self) > 0;
    }));
}

TEST(ProModelLoop, SettingTheIntervalRestartsTheTimerAndSamplesAtOnce) {
    CountedListing listing;
    ProModel model(scriptedParts(fixedReading(std::nullopt), listing.lister()));
    QSignalSpy deliveries(&model, &ProModel::groupsChanged);
    QSignalSpy intervals(&model, &ProModel::intervalSecondsChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.count() >= 1; }, 10000));
    EXPECT_EQ(model.sampler().timerPeriod(), 2000ms);

    // An hour's period leaves no tick that could pass for the extra sample.
    model.setInterval(3600);
    int before = static_cast<int>(deliveries.count());
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.count() > before; }, 10000));
    EXPECT_EQ(model.sampler().timerPeriod(), 3600s);

    before = static_cast<int>(deliveries.count());
    model.setInterval(5);
    EXPECT_EQ(model.intervalSeconds(), 5.0);
    EXPECT_EQ(model.sampler().timerPeriod(), 5000ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.count() > before; }, 10000));
    ASSERT_EQ(intervals.count(), 2);
    EXPECT_EQ(intervals.at(1).at(0).toDouble(), 5.0);

    for (const double refused : {0.0, -1.0, std::numeric_limits<double>::infinity()}) {
        model.setInterval(refused);
        EXPECT_EQ(model.intervalSeconds(), 5.0) << refused;
        EXPECT_EQ(model.sampler().timerPeriod(), 5000ms) << refused;
    }
    EXPECT_EQ(intervals.count(), 2);
}

TEST(ProModelLoop, PublishesEveryListAsItCame) {
    ProModel model(scriptedParts(fixedReading(std::nullopt)));
    QSignalSpy deliveries(&model, &ProModel::groupsChanged);
    const std::vector<AppGroup> list = {testing::application("Editor", "org.test.Editor", {42})};
    model.receiveGroups(list);
    model.receiveGroups(list);
    EXPECT_EQ(deliveries.count(), 2) << "an equal list is announced again";
    EXPECT_EQ(model.groups(), list);
    model.receiveGroups({});
    EXPECT_TRUE(model.groups().empty()) << "replaced, not merged";
}

// Notes, at each post, which list the model was publishing then.
class GroupsAtEachPost final : public platform::Notifier {
public:
    const ProModel *model = nullptr;
    std::vector<std::vector<AppGroup>> seen;

    using Notifier::post;
    void post(platform::Notification) override { seen.push_back(model->groups()); }
};

TEST(ProModelLoop, EveryPublishedListReachesTheRulesOnceAfterTheModelHoldsIt) {
    auto notifier = std::make_shared<GroupsAtEachPost>();
    auto parts = scriptedParts(fixedReading(std::nullopt));
    parts.notifier = notifier;
    ProModel model(std::move(parts));
    notifier->model = &model;

    AppGroup big;
    big.key = "/apps/big.desktop";
    big.displayName = "Big";
    big.current = 8ull << 30;
    model.thresholds().addRule(big.key, big.displayName);
    ThresholdRule rule = model.thresholds().rules().front();
    rule.limitBytes = 1ull << 30;
    rule.sustainedSeconds = 0;
    rule.action = RuleAction::notify;
    rule.isEnabled = true;
    model.thresholds().update(rule);
    model.thresholds().setAutomaticGovernanceOn(true);

    model.receiveGroups({big});
    ASSERT_EQ(notifier->seen.size(), 1u);
    ASSERT_EQ(notifier->seen.front().size(), 1u);
    EXPECT_EQ(notifier->seen.front().front().key, big.key);
    // Within the cooldown the same breach announces nothing more.
    model.receiveGroups({big});
    EXPECT_EQ(notifier->seen.size(), 1u);
}

TEST(ProModelLoop, FocusCandidatesAreWhatTheGovernorWouldFreezeHogsFirst) {
    auto workspace = std::make_shared<platform::InMemoryWorkspace>();
    workspace->setFrontmost(platform::FrontmostApplication{"org.test.Front", 60});
    ProModel model(scriptedParts(fixedReading(std::nullopt), test::noProcesses, workspace));

    const auto hog = [](AppGroup group) {
        group.isKnownHog = true;
        group.hogLabel = "Heavy";
        return group;
    };
    AppGroup stopped = hog(testing::application("Stopped", "org.test.Stopped", {50}, 900u << 20));
    stopped.isStopped = true;
    AppGroup loose = testing::application("tool", std::nullopt, {51}, 800u << 20);
    loose.key = "proc:tool";
    loose.appPath.reset();
    model.receiveGroups({
        testing::application("Editor", "org.test.Editor", {40}, 100u << 20),
        hog(testing::application("Browser", "org.test.Browser", {41}, 50u << 20)),
        stopped,
        loose,
        testing::application("Front", "org.test.Front", {60}, 700u << 20),
        testing::application("Shell", "org.kde.plasmashell", {61}, 600u << 20),
        testing::application("First", "org.test.First", {42}, 80u << 20),
        testing::application("Second", "org.test.Second", {43}, 80u << 20),
        hog(testing::application("Player", "org.test.Player", {44}, 500u << 20)),
    });

    std::vector<std::string> names;
    for (const AppGroup &group : model.focusCandidates()) {
        names.push_back(group.displayName);
        EXPECT_FALSE(group.isStopped);
        EXPECT_FALSE(model.governor().blockReason(group).has_value()) << group.displayName;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Player", "Browser", "Editor", "First", "Second"}));
}

TEST(ProModelLoop, WhatTheGovernorFrozeIsResumedWhenTheModelGoes) {
    ProbeChild child(QUORVEL_HELPER_DIR "/GovernedChild", {"tethered"});
    ASSERT_TRUE(child.started());
    auto resolver = std::make_shared<platform::InMemoryApplicationResolver>();
    auto model =
        std::make_unique<ProModel>(scriptedParts(fixedReading(std::nullopt), test::noProcesses,
                                                 WorkspaceProcesses::liveWorkspace(resolver)));

    const AppGroup group = applicationOf({child.pid()});
    ASSERT_EQ(group.processes.size(), 1u);
    ASSERT_TRUE(model->governor().suspend(group, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) == 'T'; }, 10000));

    model.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) != 'T'; }, 10000));
}

// The quit paths of a running program: the helper freezes our child through
// its live model and quits on the signal without unwinding, so only the
// application's quit notice can have resumed the child.
TEST(ProModelLoop, WhatTheGovernorFrozeIsResumedWhenTheApplicationQuits) {
    for (const int quitSignal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(quitSignal);
        ProbeChild child(QUORVEL_HELPER_DIR "/GovernedChild", {"tethered"});
        ASSERT_TRUE(child.started());
        QProcess freezer;
        freezer.start(QStringLiteral(QUORVEL_HELPER_DIR "/FreezingModel"),
                      {QString::number(child.pid())});
        ASSERT_TRUE(freezer.waitForStarted(10000));
        ASSERT_TRUE(freezer.waitForReadyRead(30000));
        ASSERT_EQ(freezer.readLine().trimmed(), "frozen");
        ASSERT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) == 'T'; }, 10000));

        ::kill(static_cast<pid_t>(freezer.processId()), quitSignal);
        ASSERT_TRUE(freezer.waitForFinished(30000));
        EXPECT_EQ(freezer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(freezer.exitCode(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) != 'T'; }, 10000));
    }
}

} // namespace
} // namespace quorvel
