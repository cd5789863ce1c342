#include <gtest/gtest.h>

#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <memory>

#include "Defaults/InMemoryDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Governance/LiveGovernor.h"
#include "Notifications/RecordingNotifier.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using testing::GovernedApplication;
using testing::LiveGovernor;
using testing::sample;

TEST(LiveThresholds, ASuspendRuleFreezesARealApplicationOnceAndRestsThroughTheCooldown) {
    GovernedApplication application;
    ProbeChild child(application.program(), {"touch", "16", "tethered"});
    ASSERT_TRUE(child.started());
    const auto resumeAtTheEnd = qScopeGuard([&] { ::kill(child.pid(), SIGCONT); });
    LiveGovernor live(application);
    auto notifier = std::make_shared<platform::RecordingNotifier>();
    ThresholdEngine::Clock::time_point now{std::chrono::hours(1)};
    ThresholdController controller({live.governor.get(),
                                    std::make_shared<platform::InMemoryDefaultsStore>(), notifier,
                                    [&] { return now; }});
    const AppGroup first = sample(application, {child.pid()});
    ASSERT_GT(first.current, 8u << 20);
    controller.setRules(
        {{Uuid::random(), first.key, first.displayName, 4u << 20, 60, RuleAction::suspend, true}});
    controller.setAutomaticGovernanceOn(true);

    // A sample every two seconds for eleven minutes.
    for (int t = 0; t <= 660; t += 2) {
        now = ThresholdEngine::Clock::time_point{std::chrono::hours(1) + std::chrono::seconds(t)};
        const AppGroup group = sample(application, {child.pid()});
        EXPECT_EQ(group.isStopped, t > 60 && t <= 600) << t;
        controller.onSample({group});
        if (t == 60) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return testing::allStopped(group.pids()); }, 10000));
        }
        if (t == 600) {
            // The user resumes it; the rule still waits out its cooldown.
            ASSERT_TRUE(live.governor->resume(group));
            ASSERT_TRUE(QTest::qWaitFor([&] { return testing::noneStopped(group.pids()); }, 10000));
        }
    }
    ASSERT_EQ(live.governor->history().size(), 3u) << "freeze, resume, freeze again at 660 s";
    const ActionRecord &automatic = live.governor->history()[2];
    EXPECT_EQ(automatic.action, GovernanceAction::suspend);
    EXPECT_TRUE(automatic.success);
    EXPECT_EQ(automatic.appName, first.displayName);
    EXPECT_TRUE(automatic.detail.starts_with(L10n::t("governance.detail.automatic", "")))
        << automatic.detail;
    EXPECT_EQ(live.governor->history()[1].action, GovernanceAction::resume);
    EXPECT_EQ(notifier->posted().size(), 2u);

    live.governor->resumeEverythingFrozen();
    EXPECT_TRUE(QTest::qWaitFor([&] { return testing::noneStopped({child.pid()}); }, 10000));
}

} // namespace
} // namespace quorvel
