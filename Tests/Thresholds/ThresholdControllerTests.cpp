#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <string>
#include <vector>

#include "Thresholds/ThresholdHarness.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using testing::application;
using testing::ThresholdHarness;

constexpr uint64_t kGiB = 1ull << 30;

const AppGroup editor = application("Editor", "org.example.Editor", {4242, 4243}, 3 * kGiB);

ThresholdRule ruleFor(const AppGroup &group, RuleAction action, double sustainedSeconds = 60,
                      uint64_t limit = 2 * kGiB) {
    return {Uuid::random(), group.key, group.displayName, limit, sustainedSeconds, action, true};
}

std::string overLimitText(const AppGroup &group, uint64_t limit, int64_t minutes) {
    return L10n::t("governance.notify.body.atOverLimit", group.displayName,
                   Format::bytes(group.current), Format::bytes(limit),
                   L10n::plural("pro.rules.minutes", minutes));
}

// Samples every two seconds from `from` up to before `to`.
void sampleEvery2s(ThresholdHarness &harness, double from, double to,
                   const std::vector<AppGroup> &groups) {
    for (double t = from; t < to; t += 2) harness.sampleAt(t, groups);
}

TEST(ThresholdController, WhileTheSwitchIsOffNothingIsEvaluated) {
    ThresholdHarness harness;
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(editor, RuleAction::notify)});
    sampleEvery2s(harness, 0, 2000, {editor});
    EXPECT_TRUE(harness.posted().empty());

    // The breach clock starts at the first sample after the switch goes on.
    controller.setAutomaticGovernanceOn(true);
    sampleEvery2s(harness, 2000, 2060, {editor});
    EXPECT_TRUE(harness.posted().empty());
    harness.sampleAt(2060, {editor});
    EXPECT_EQ(harness.posted().size(), 1u);

    // Off and on again keeps the clock a breach began on before.
    harness.sampleAt(2700, {editor}); // fires again, the clock restarts at 2700
    controller.setAutomaticGovernanceOn(false);
    sampleEvery2s(harness, 2702, 3400, {editor});
    controller.setAutomaticGovernanceOn(true);
    EXPECT_EQ(harness.posted().size(), 2u);
    harness.sampleAt(3400, {editor});
    EXPECT_EQ(harness.posted().size(), 3u) << "over since 2700, out of cooldown";
}

TEST(ThresholdController, ANotifyRuleNotifiesAndRecordsOnceWithTheMinutesOfItsTime) {
    const std::pair<double, int64_t> times[] = {{90, 2}, {30, 1}, {60, 1}, {0, 0}};
    for (const bool withNotifier : {true, false}) {
        for (const auto &[seconds, minutes] : times) {
            ThresholdHarness harness;
            if (!withNotifier) harness.notifier = nullptr;
            ThresholdController &controller = harness.make();
            controller.setRules({ruleFor(editor, RuleAction::notify, seconds)});
            controller.setAutomaticGovernanceOn(true);
            sampleEvery2s(harness, 0, 400, {editor});

            const std::string body = overLimitText(editor, 2 * kGiB, minutes);
            if (withNotifier) {
                ASSERT_EQ(harness.posted().size(), 1u) << seconds;
                EXPECT_EQ(harness.posted()[0].title,
                          L10n::t("governance.notify.overLimit.title", "Editor"));
                EXPECT_EQ(harness.posted()[0].body, body);
                EXPECT_FALSE(harness.posted()[0].action);
            }
            ASSERT_EQ(harness.history().size(), 1u) << "also when nothing can be shown";
            const ActionRecord &record = harness.history()[0];
            EXPECT_EQ(record.action, GovernanceAction::notify);
            EXPECT_EQ(record.appName, "Editor");
            EXPECT_EQ(record.detail, L10n::t("governance.detail.automatic", body));
            EXPECT_TRUE(record.success);
            EXPECT_EQ(record.timestamp, harness.governance.time) << "wall-clock time";
            EXPECT_TRUE(harness.governance.workspace->signalCalls().empty());
        }
    }
}

TEST(ThresholdController, ASuspendRuleFreezesTheApplicationAndSaysSo) {
    ThresholdHarness harness;
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(editor, RuleAction::suspend)});
    controller.setAutomaticGovernanceOn(true);
    sampleEvery2s(harness, 0, 600, {editor});

    const auto &calls = harness.governance.workspace->signalCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].process.pid, 4242);
    EXPECT_EQ(calls[1].process.pid, 4243);
    EXPECT_EQ(calls[0].signal, platform::ProcessSignal::stop);
    const std::string body = overLimitText(editor, 2 * kGiB, 1);
    ASSERT_EQ(harness.posted().size(), 1u);
    EXPECT_EQ(harness.posted()[0].title, L10n::t("governance.notify.suspended.title", "Editor"));
    EXPECT_EQ(harness.posted()[0].body, L10n::t("governance.notify.body.suspended", body));
    ASSERT_EQ(harness.history().size(), 1u) << "the governor's own record only";
    EXPECT_EQ(harness.history()[0].action, GovernanceAction::suspend);
    EXPECT_TRUE(harness.history()[0].success);
    EXPECT_EQ(harness.history()[0].detail,
              L10n::t("governance.detail.automatic",
                      L10n::plural("governance.detail.froze", 2, Format::bytes(3 * kGiB))));
}

TEST(ThresholdController, ARefusedSuspendIsNotAnnouncedAndWaitsOutTheCooldown) {
    ThresholdHarness harness;
    harness.governance.workspace->setFrontmost(
        platform::FrontmostApplication{"org.example.Editor", 4242});
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(editor, RuleAction::suspend)});
    controller.setAutomaticGovernanceOn(true);
    sampleEvery2s(harness, 0, 660, {editor});
    ASSERT_EQ(harness.history().size(), 1u);
    EXPECT_FALSE(harness.history()[0].success);
    EXPECT_EQ(
        harness.history()[0].detail,
        L10n::t("governance.detail.automatic",
                L10n::t("governance.detail.blocked", L10n::t("governance.block.foreground"))));
    EXPECT_TRUE(harness.posted().empty());
    harness.sampleAt(660, {editor});
    EXPECT_EQ(harness.history().size(), 2u) << "tried again after ten minutes";
    EXPECT_TRUE(harness.governance.workspace->signalCalls().empty());
}

TEST(ThresholdController, ARestartRuleRestartsTheApplicationAndAnnouncesItWhenDone) {
    ThresholdHarness harness;
    harness.governance.workspace->setRunning("org.example.Editor", {{4242, 5000 + 4242}});
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(editor, RuleAction::restart, 0)});
    controller.setAutomaticGovernanceOn(true);
    harness.sampleAt(0, {editor});
    EXPECT_TRUE(harness.posted().empty()) << "announced only once it has reopened";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.posted().empty(); }, 20000));
    ASSERT_EQ(harness.posted().size(), 1u);
    EXPECT_EQ(harness.posted()[0].title, L10n::t("governance.notify.restarted.title", "Editor"));
    EXPECT_EQ(harness.posted()[0].body,
              L10n::t("governance.notify.body.restarted", overLimitText(editor, 2 * kGiB, 0)));
    EXPECT_EQ(harness.governance.workspace->openedPaths(),
              std::vector<std::string>{*editor.appPath});
    ASSERT_EQ(harness.history().size(), 1u);
    EXPECT_EQ(harness.history()[0].action, GovernanceAction::restart);
    EXPECT_TRUE(harness.history()[0].success);
}

TEST(ThresholdController, AFailedRestartIsNotAnnounced) {
    ThresholdHarness harness; // no running instance to quit
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(editor, RuleAction::restart, 0)});
    controller.setAutomaticGovernanceOn(true);
    harness.sampleAt(0, {editor});
    ASSERT_EQ(harness.history().size(), 1u);
    EXPECT_FALSE(harness.history()[0].success);
    QTest::qWait(0);
    EXPECT_TRUE(harness.posted().empty());
}

TEST(ThresholdController, AStoppedApplicationIsNeitherFrozenAgainNorRestartedButStillNotified) {
    ThresholdHarness harness;
    harness.governance.workspace->setRunning("org.example.Editor", {{4242, 5000 + 4242}});
    AppGroup stopped = editor;
    stopped.isStopped = true;
    ThresholdController &controller = harness.make();
    controller.setRules({ruleFor(stopped, RuleAction::suspend, 0),
                         ruleFor(stopped, RuleAction::restart, 0),
                         ruleFor(stopped, RuleAction::notify, 0)});
    controller.setAutomaticGovernanceOn(true);
    sampleEvery2s(harness, 0, 1300, {stopped});
    QTest::qWait(0);
    EXPECT_TRUE(harness.governance.workspace->signalCalls().empty());
    EXPECT_TRUE(harness.governance.workspace->quitRequests().empty());
    ASSERT_EQ(harness.posted().size(), 3u) << "the notify rule, at 0, 600 and 1200 s";
    for (const platform::Notification &notification : harness.posted())
        EXPECT_EQ(notification.title, L10n::t("governance.notify.overLimit.title", "Editor"));
    EXPECT_EQ(harness.history().size(), 3u);
}

TEST(ThresholdController, OnlyTheGroupsOfTheSampleCount) {
    ThresholdHarness harness;
    const AppGroup other = application("Other", "org.example.Other", {77}, 5 * kGiB);
    ThresholdController &controller = harness.make();
    controller.setRules(
        {ruleFor(editor, RuleAction::notify, 0), ruleFor(other, RuleAction::notify, 0)});
    controller.setAutomaticGovernanceOn(true);
    harness.sampleAt(0, {other});
    ASSERT_EQ(harness.posted().size(), 1u);
    EXPECT_EQ(harness.posted()[0].title, L10n::t("governance.notify.overLimit.title", "Other"));
    AppGroup small = editor;
    small.current = 2 * kGiB; // at the limit
    harness.sampleAt(2, {small, other});
    EXPECT_EQ(harness.posted().size(), 1u);
}

TEST(ThresholdController, EditingPublishesTheRulesAndSavesThem) {
    ThresholdHarness harness;
    ThresholdController &controller = harness.make();
    QSignalSpy rulesChanges(&controller, &ThresholdController::rulesChanged);
    QSignalSpy switchChanges(&controller, &ThresholdController::automaticGovernanceChanged);

    controller.addRule("/usr/share/applications/org.example.Editor.desktop", "Editor");
    ASSERT_EQ(controller.rules().size(), 1u);
    const ThresholdRule added = controller.rules()[0];
    EXPECT_EQ(added.appKey, "/usr/share/applications/org.example.Editor.desktop");
    EXPECT_EQ(added.appName, "Editor");
    EXPECT_EQ(added.limitBytes, 6442450944u);
    EXPECT_EQ(added.sustainedSeconds, 300);
    EXPECT_EQ(added.action, RuleAction::notify);
    EXPECT_FALSE(added.isEnabled);
    EXPECT_EQ(harness.defaults->writeCount(), 1);
    EXPECT_EQ(harness.defaults->dataValue(ThresholdController::kRulesKey), encodeRules({added}));

    controller.setAutomaticGovernanceOn(true);
    EXPECT_FALSE(controller.isArmed()) << "no rule is enabled";
    ThresholdRule enabled = added;
    enabled.isEnabled = true;
    controller.update(enabled);
    EXPECT_TRUE(controller.isArmed());
    EXPECT_EQ(harness.defaults->writeCount(), 3);

    ThresholdRule stranger = enabled;
    stranger.id = Uuid::random();
    controller.update(stranger);
    EXPECT_EQ(controller.rules(), std::vector{enabled});
    EXPECT_EQ(harness.defaults->writeCount(), 3) << "an unknown rule changes nothing";

    controller.setAutomaticGovernanceOn(true); // equal values publish and save too
    controller.removeRule(enabled.id);
    EXPECT_TRUE(controller.rules().empty());
    EXPECT_FALSE(controller.isArmed());
    EXPECT_EQ(harness.defaults->dataValue(ThresholdController::kRulesKey), "[]");
    EXPECT_EQ(harness.defaults->boolValue(ThresholdController::kMasterKey), true);
    EXPECT_EQ(rulesChanges.count(), 3);
    EXPECT_EQ(switchChanges.count(), 2);

    controller.setPersists(false);
    controller.addRule("proc:x", "x");
    controller.setAutomaticGovernanceOn(false);
    controller.setRules({});
    EXPECT_EQ(harness.defaults->writeCount(), 5) << "nothing written while not persisting";
}

TEST(ThresholdController, StoredRulesThatShareAnIdLoadAsSeparateRules) {
    ThresholdHarness harness;
    ThresholdRule first = ruleFor(editor, RuleAction::notify, 0);
    ThresholdRule second = ruleFor(editor, RuleAction::suspend, 0);
    second.id = first.id;
    harness.defaults->write(
        {{std::string(ThresholdController::kRulesKey), *encodeRules({first, second, first})}});
    ThresholdController &controller = harness.make();
    ASSERT_EQ(controller.rules().size(), 3u);
    EXPECT_EQ(controller.rules()[0], first);
    EXPECT_NE(controller.rules()[1].id, first.id);
    EXPECT_NE(controller.rules()[2].id, controller.rules()[1].id);
    EXPECT_EQ(controller.rules()[1].action, RuleAction::suspend);
    EXPECT_EQ(harness.defaults->writeCount(), 1) << "loading writes nothing";

    controller.setAutomaticGovernanceOn(true);
    harness.sampleAt(0, {editor});
    EXPECT_EQ(harness.posted().size(), 3u) << "two notifications and one freeze, each on its own";
}

} // namespace
} // namespace quorvel
