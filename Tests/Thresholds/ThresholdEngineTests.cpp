#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
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
                   uint64_t limit = kLimit, bool enabled = true) {
    return {Uuid{0, uint64_t(number)}, kApp, "App", limit, sustainedSeconds, action, enabled};
}

const Usage kOver{{kApp, kLimit + 1}};
const Usage kAtLimit{{kApp, kLimit}};
const Usage kAbsent{{"/usr/share/applications/other.desktop", kLimit * 10}};
constexpr auto none = std::nullopt;

// Samples every `every` seconds from `from` up to before `to`, with these
// rules (the timeline's own when not given) and this usage.
struct Phase {
    double from, to;
    Usage usage;
    std::optional<std::vector<ThresholdRule>> rules = none;
    double every = 2;
};

struct Firing {
    double at;
    uint64_t rule; // its number
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

TEST(ThresholdEngine, ScriptedTimelines) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto only = [](std::vector<ThresholdRule> rules) { return std::optional(rules); };
    using enum RuleAction;
    const Timeline timelines[] = {
        Timeline("usage equal to the limit is not over it", {rule(1, 0)}, {{0, 2000, kAtLimit}},
                 {}),
        Timeline("300 s fire once at the first sample from 300 s on", {rule(1, 300)},
                 {{0, 300, kOver, none, 3}, {300, 600, kOver, none, 3}}, {{300, 1}}),
        Timeline("staying over with 60 s fires again only after the cooldown", {rule(1, 60)},
                 {{0, 1300, kOver}}, {{60, 1}, {660, 1}, {1260, 1}}),
        Timeline("staying over with 1800 s fires again after another 1800 s", {rule(1, 1800)},
                 {{0, 3700, kOver}}, {{1800, 1}, {3600, 1}}),
        Timeline("a dip to the limit restarts the breach clock", {rule(1, 300)},
                 {{0, 100, kOver}, {100, 102, kAtLimit}, {102, 500, kOver}}, {{402, 1}}),
        Timeline("an absent application restarts the breach clock but not the cooldown",
                 {rule(1, 0)}, {{0, 10, kOver}, {10, 20, kAbsent}, {20, 700, kOver}},
                 {{0, 1}, {600, 1}}),
        Timeline("two rules of one application fire independently, in list order",
                 {rule(1, 0, suspend), rule(2, 0, notify), rule(3, 100)}, {{0, 200, kOver}},
                 {{0, 1, suspend}, {0, 2, notify}, {100, 3}}),
        Timeline("a disabled rule never fires and keeps its cooldown", {rule(1, 0)},
                 {{0, 10, kOver},
                  {10, 100, kOver, only({rule(1, 0, notify, kLimit, false)})},
                  {100, 700, kOver}},
                 {{0, 1}, {600, 1}}),
        Timeline("a rule removed mid-breach starts afresh when added again", {rule(1, 60)},
                 {{0, 40, kOver}, {40, 50, kOver, only({})}, {50, 120, kOver}}, {{110, 1}}),
        Timeline("a removed rule forgets its cooldown", {rule(1, 0)},
                 {{0, 2, kOver}, {2, 4, kOver, only({rule(2, 0)})}, {4, 6, kOver}},
                 {{0, 1}, {2, 2}, {4, 1}}),
        Timeline("a time that is not a number acts as zero", {rule(1, nan)}, {{0, 4, kOver}},
                 {{0, 1}}),
        Timeline("a huge time never fires", {rule(1, 1e300)}, {{0, 100000, kOver, none, 997}}, {}),
        Timeline("a limit of 2^64 - 1 can never be exceeded", {rule(1, 0, notify, kMax)},
                 {{0, 4, Usage{{kApp, kMax}}}}, {}),
    };
    for (const Timeline &timeline : timelines) {
        ThresholdEngine engine;
        std::vector<Firing> firings;
        for (const Phase &phase : timeline.phases) {
            for (double t = phase.from; t < phase.to; t += phase.every) {
                for (const auto &decision :
                     engine.evaluate(phase.rules.value_or(timeline.rules), phase.usage, at(t))) {
                    EXPECT_EQ(decision.appKey, kApp);
                    firings.push_back({t, decision.ruleID.low, decision.action});
                }
            }
        }
        EXPECT_EQ(firings, timeline.expected) << timeline.name;
    }
}

} // namespace
} // namespace quorvel
