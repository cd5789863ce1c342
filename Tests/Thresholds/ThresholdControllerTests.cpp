#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Defaults/InMemoryDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Governance/GovernorHarness.h"
#include "Notifications/RecordingNotifier.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using platform::InMemoryWorkspace;
using History = std::vector<std::pair<GovernanceAction, bool>>;

constexpr uint64_t kGiB = 1ull << 30;
const AppGroup editor =
    testing::application("Editor", "org.example.Editor", {4242, 4243}, 3 * kGiB);

// A controller with the given rules and the switch on, on the in-memory
// desktop's governor, with a notifier that records and a clock the test moves.
struct Harness {
    testing::GovernorHarness governance;
    std::shared_ptr<platform::RecordingNotifier> notifier =
        std::make_shared<platform::RecordingNotifier>();
    const ThresholdEngine::Clock::time_point start{std::chrono::hours(100)};
    ThresholdEngine::Clock::time_point time = start;
    std::unique_ptr<ThresholdController> controller;

    explicit Harness(const std::vector<RuleAction> &actions, double seconds = 60,
                     bool withNotifier = true) {
        controller = std::make_unique<ThresholdController>(ThresholdController::Dependencies{
            governance.governor.get(), std::make_shared<platform::InMemoryDefaultsStore>(),
            withNotifier ? notifier : nullptr, [this] { return time; }});
        std::vector<ThresholdRule> rules;
        for (RuleAction action : actions)
            rules.push_back(
                {Uuid::random(), editor.key, "Editor", 2 * kGiB, seconds, action, true});
        controller->setRules(rules);
        controller->setAutomaticGovernanceOn(true);
    }
    // Samples every two seconds from `from` seconds after the start up to before `to`.
    void sample(int from, int to, const AppGroup &group = editor) {
        for (int t = from; t < to; t += 2) {
            time = start + std::chrono::seconds(t);
            controller->onSample({group});
        }
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> titles;
        for (const auto &posted : notifier->posted()) titles.push_back(posted.title);
        return titles;
    }
    History history() const { // oldest first
        History history;
        for (const ActionRecord &r : governance.governor->history())
            history.push_back({r.action, r.success});
        return {history.rbegin(), history.rend()};
    }
};

TEST(ThresholdController, EachRuleIsCarriedOutWhileSwitchedOnAndAnnouncedOnlyWhenItWorked) {
    const auto running = [](InMemoryWorkspace &desktop) {
        desktop.setRunning("org.example.Editor", {{4242, 5000 + 4242}});
    };
    const auto inFront = [](InMemoryWorkspace &desktop) {
        desktop.setFrontmost(platform::FrontmostApplication{"org.example.Editor", 4242});
    };
    const std::string over = L10n::t("governance.notify.overLimit.title", "Editor");
    const std::string froze = L10n::t("governance.notify.suspended.title", "Editor");
    const std::string reopened = L10n::t("governance.notify.restarted.title", "Editor");
    constexpr RuleAction kNotify = RuleAction::notify, kFreeze = RuleAction::suspend,
                         kRestart = RuleAction::restart;
    using enum GovernanceAction;
    const std::vector<std::string> over3(3, over);
    const History notified3(3, {notify, true});
    struct Case {
        const char *name;
        std::vector<RuleAction> rules;
        double seconds;
        int until; // samples every two seconds up to before this
        std::function<void(InMemoryWorkspace &)> desktop;
        bool stopped;
        std::vector<std::string> titles;
        History history;
        std::size_t signalCount = 0;
        bool switchedOff = false;
    };
    const Case cases[] = {
        {"freeze", {kFreeze}, 60, 600, {}, false, {froze}, {{suspend, true}}, 2},
        // Refused at 60 s, tried again once the cooldown is over.
        {"refused freeze", {kFreeze}, 60, 662, inFront, false, {}, History(2, {suspend, false})},
        {"restart", {kRestart}, 0, 2, running, false, {reopened}, {{restart, true}}},
        {"failed restart", {kRestart}, 0, 2, {}, false, {}, {{restart, false}}},
        // A frozen application can neither quit nor be frozen again: only notified.
        {"frozen", {kFreeze, kRestart, kNotify}, 0, 1300, running, true, over3, notified3},
        {"switched off", {kFreeze, kRestart, kNotify}, 0, 1300, running, false, {}, {}, 0, true},
    };
    for (const Case &c : cases) {
        for (const bool withNotifier : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (withNotifier ? "" : ", nothing to show it"));
            Harness harness(c.rules, c.seconds, withNotifier);
            if (c.desktop) c.desktop(*harness.governance.workspace);
            harness.controller->setAutomaticGovernanceOn(!c.switchedOff);
            AppGroup group = editor;
            group.isStopped = c.stopped;
            harness.sample(0, c.until, group);
            // A restart is recorded and announced once the application has reopened.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return harness.history().size() >= c.history.size(); }, 20000));
            EXPECT_EQ(harness.history(), c.history);
            EXPECT_EQ(harness.titles(), withNotifier ? c.titles : std::vector<std::string>{});
            EXPECT_EQ(harness.governance.workspace->signalCalls().size(), c.signalCount);
            const auto restarted = std::ranges::count(c.history, std::pair{restart, true});
            EXPECT_EQ(harness.governance.workspace->quitRequests().size(), std::size_t(restarted));
        }
    }
}

} // namespace
} // namespace quorvel
