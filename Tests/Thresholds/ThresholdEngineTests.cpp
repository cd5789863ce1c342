#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Engine/ThresholdEngine.h"

namespace quorvel {
namespace {

using Clock = ThresholdEngine::Clock;
using Usage = std::map<std::string, uint64_t, std::less<>>;

constexpr uint64_t kLimit = 1000;
constexpr char kApp[] = "/usr/share/applications/app.desktop";

// A fixed point of the monotonic clock, plus seconds.
Clock::time_point at(double seconds) {
    return Clock::time_point(std::chrono::hours(1000)) +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

ThresholdRule rule(int number, double sustainedSeconds, RuleAction action = RuleAction::notify,
                   uint64_t limit = kLimit) {
    return {Uuid{0, uint64_t(number)}, kApp, "App", limit, sustainedSeconds, action, true};
}

ThresholdRule disabled(ThresholdRule rule) {
    rule.isEnabled = false;
    return rule;
}

const Usage kOver{{kApp, kLimit + 1}};
const Usage kAtLimit{{kApp, kLimit}};
const Usage kAbsent{{"/usr/share/applications/other.desktop", kLimit * 10}};

// Samples every `every` seconds from `from` up to before `to`, with these
// rules (the timeline's own when not given) and this usage.
struct Phase {
    double from;
    double to;
    Usage usage;
    std::optional<std::vector<ThresholdRule>> rules = std::nullopt;
    double every = 2;
};

struct Firing {
    double at;
    uint64_t rule; // the rule's number
    RuleAction action = RuleAction::notify;

    bool operator==(const Firing &) const = default;
};

void PrintTo(const Firing &firing, std::ostream *out) {
    *out << "rule " << firing.rule << " at " << firing.at << " (" << rawValue(firing.action) << ")";
}

struct Timeline {
    const char *name;
    std::vector<ThresholdRule> rules;
    std::vector<Phase> phases;
    std::vector<Firing> expected;
};

std::vector<Firing> run(const Timeline &timeline) {
    ThresholdEngine engine;
    std::vector<Firing> firings;
    for (const Phase &phase : timeline.phases) {
        const std::vector<ThresholdRule> &rules = phase.rules ? *phase.rules : timeline.rules;
        for (double t = phase.from; t < phase.to; t += phase.every) {
            for (const ThresholdEngine::Decision &decision :
                 engine.evaluate(rules, phase.usage, at(t))) {
                EXPECT_EQ(decision.appKey, kApp);
                firings.push_back({t, decision.ruleID.low, decision.action});
            }
        }
    }
    return firings;
}

TEST(ThresholdEngine, ScriptedTimelines) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Timeline timelines[] = {
        {"usage equal to the limit is not over it", {rule(1, 0)}, {{0, 2000, kAtLimit}}, {}},
        {"a zero time fires on the first sample over the limit",
         {rule(1, 0)},
         {{0, 10, kAtLimit}, {10, 12, kOver}},
         {{10, 1}}},
        {"300 s fire once at the first sample from 300 s on",
         {rule(1, 300)},
         {{0, 300, kOver, std::nullopt, 3}, {300, 600, kOver, std::nullopt, 3}},
         {{300, 1}}},
        {"staying over with 60 s fires again only after the cooldown",
         {rule(1, 60)},
         {{0, 1300, kOver}},
         {{60, 1}, {660, 1}, {1260, 1}}},
        {"staying over with 1800 s fires again after another 1800 s",
         {rule(1, 1800)},
         {{0, 3700, kOver}},
         {{1800, 1}, {3600, 1}}},
        {"a dip to the limit restarts the breach clock",
         {rule(1, 300)},
         {{0, 100, kOver}, {100, 102, kAtLimit}, {102, 500, kOver}},
         {{402, 1}}},
        {"an absent application restarts the breach clock but not the cooldown",
         {rule(1, 0)},
         {{0, 10, kOver}, {10, 20, kAbsent}, {20, 700, kOver}},
         {{0, 1}, {600, 1}}},
        {"two rules of one application fire independently, in list order",
         {rule(1, 0, RuleAction::suspend), rule(2, 0, RuleAction::notify), rule(3, 100)},
         {{0, 200, kOver}},
         {{0, 1, RuleAction::suspend}, {0, 2, RuleAction::notify}, {100, 3}}},
        {"a disabled rule never fires and keeps its cooldown",
         {rule(1, 0)},
         {{0, 10, kOver}, {10, 100, kOver, std::vector{disabled(rule(1, 0))}}, {100, 700, kOver}},
         {{0, 1}, {600, 1}}},
        {"a rule removed mid-breach starts afresh when added again",
         {rule(1, 60)},
         {{0, 40, kOver}, {40, 50, kOver, std::vector<ThresholdRule>{}}, {50, 120, kOver}},
         {{110, 1}}},
        {"a removed rule forgets its cooldown",
         {rule(1, 0)},
         {{0, 2, kOver}, {2, 4, kOver, std::vector{rule(2, 0)}}, {4, 6, kOver}},
         {{0, 1}, {2, 2}, {4, 1}}},
        {"a rule whose application drops out of the list mid-breach",
         {rule(1, 60), rule(2, 60)},
         {{0, 30, kOver}, {30, 32, kOver, std::vector{rule(2, 60)}}, {32, 100, kOver}},
         {{60, 2}, {92, 1}}},
        {"a negative time acts as zero", {rule(1, -500)}, {{0, 4, kOver}}, {{0, 1}}},
        {"a time that is not a number acts as zero", {rule(1, nan)}, {{0, 4, kOver}}, {{0, 1}}},
        {"a huge time never fires", {rule(1, 1e300)}, {{0, 100000, kOver, std::nullopt, 997}}, {}},
        {"a limit of 2^64 - 1 can never be exceeded",
         {rule(1, 0, RuleAction::notify, kMax)},
         {{0, 4, Usage{{kApp, kMax}}}},
         {}},
        {"a limit just below 2^64 - 1",
         {rule(1, 0, RuleAction::notify, kMax - 1)},
         {{0, 2, Usage{{kApp, kMax}}}},
         {{0, 1}}},
        {"samples a fraction of a second apart",
         {rule(1, 0.5)},
         {{0, 2, kOver, std::nullopt, 0.25}},
         {{0.5, 1}}},
    };
    for (const Timeline &timeline : timelines)
        EXPECT_EQ(run(timeline), timeline.expected) << timeline.name;
}

TEST(ThresholdEngine, RemembersBreachesAndFiringsPerRuleAndForgetsDeletedRules) {
    ThresholdEngine engine;
    const std::vector<ThresholdRule> rules{rule(1, 10), rule(2, 0)};
    engine.evaluate(rules, kOver, at(0));
    EXPECT_EQ(engine.breachStart().at(rules[0].id), at(0));
    EXPECT_EQ(engine.breachStart().at(rules[1].id), at(0));
    EXPECT_EQ(engine.lastFired().count(rules[0].id), 0u);
    EXPECT_EQ(engine.lastFired().at(rules[1].id), at(0));

    engine.evaluate(rules, kAtLimit, at(5));
    EXPECT_TRUE(engine.breachStart().empty());
    EXPECT_EQ(engine.lastFired().size(), 1u) << "the cooldown outlives the breach";

    engine.evaluate({rules[0]}, kOver, at(6));
    EXPECT_EQ(engine.breachStart().size(), 1u);
    EXPECT_TRUE(engine.lastFired().empty()) << "the deleted rule is forgotten";
}

} // namespace
} // namespace quorvel
