#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <vector>

#include "../Governance/GovernorHarness.h"
#include "../Process/ProbeChild.h"
#include "../Workspace/ProcState.h"
#include "App/ProModel.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"

namespace quorvel {
namespace {

using test::fixedReading;
using test::scriptedParts;

constexpr int kPatience = 30000; // ms; only a broken build waits this long

TEST(ProModel, PublishesEveryListAsItCameAndHandsItToTheRulesOnce) {
    // Notes, at each post, which list the model was publishing then.
    struct GroupsAtEachPost final : platform::Notifier {
        const ProModel *model = nullptr;
        std::vector<std::vector<AppGroup>> seen;
        using Notifier::post;
        void post(platform::Notification) override { seen.push_back(model->groups()); }
    };
    auto notifier = std::make_shared<GroupsAtEachPost>();
    auto parts = scriptedParts(fixedReading(std::nullopt));
    parts.notifier = notifier;
    ProModel model(std::move(parts));
    notifier->model = &model;
    QSignalSpy deliveries(&model, &ProModel::groupsChanged);

    AppGroup big = testing::application("Big", "org.test.Big", {42}, 8ull << 30);
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
    EXPECT_EQ(notifier->seen.front(), std::vector<AppGroup>{big}) << "held before the rules run";
    // An equal list is announced again; within the cooldown the breach is not.
    model.receiveGroups({big});
    EXPECT_EQ(deliveries.count(), 2);
    EXPECT_EQ(notifier->seen.size(), 1u);
    model.receiveGroups({});
    EXPECT_TRUE(model.groups().empty()) << "replaced, not merged";
}

// The quit paths of a running program: the helper freezes our child through
// its live model and quits on the signal without unwinding, so only the
// application's quit notice can have resumed the child.
TEST(ProModelLoop, WhatTheGovernorFrozeIsResumedWhenTheApplicationQuits) {
    for (const int quitSignal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM}) {
        SCOPED_TRACE(quitSignal);
        ProbeChild child(QUORVEL_HELPER_DIR "/GovernedChild", {"tethered"});
        ASSERT_TRUE(child.started());
        QProcess freezer;
        freezer.start(QStringLiteral(QUORVEL_HELPER_DIR "/FreezingModel"),
                      {QString::number(child.pid())});
        ASSERT_TRUE(freezer.waitForStarted(10000));
        ASSERT_TRUE(freezer.waitForReadyRead(kPatience));
        ASSERT_EQ(freezer.readLine().trimmed(), "frozen");
        ASSERT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) == 'T'; }, kPatience));

        ::kill(static_cast<pid_t>(freezer.processId()), quitSignal);
        ASSERT_TRUE(freezer.waitForFinished(kPatience));
        EXPECT_EQ(freezer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(freezer.exitCode(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) != 'T'; }, kPatience));
    }
}

} // namespace
} // namespace quorvel
