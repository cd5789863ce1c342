#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Model/ThresholdRule.h"

namespace quorvel {

// Remembers, per rule, since when its application has been over the limit
// and when the rule last fired, and turns each sample into the rules that
// fire now. Times are monotonic, so a change of the wall clock neither holds
// rules back nor fires them early. Not stored: a new engine starts with no
// breach and no cooldown.
class ThresholdEngine {
public:
    using Clock = std::chrono::steady_clock;

    // A rule fires at most once in this long.
    static constexpr std::chrono::seconds kCooldown{600};

    struct Decision {
        Uuid ruleID;
        std::string appKey;
        RuleAction action = RuleAction::notify;

        bool operator==(const Decision &) const = default;
    };

    // `usage` maps group keys to their current footprint in the sample taken
    // at `now`. Returns the firing rules in rule order.
    std::vector<Decision> evaluate(const std::vector<ThresholdRule> &rules,
                                   const std::map<std::string, uint64_t, std::less<>> &usage,
                                   Clock::time_point now);

    const std::map<Uuid, Clock::time_point> &breachStart() const { return breachStart_; }
    const std::map<Uuid, Clock::time_point> &lastFired() const { return lastFired_; }

private:
    std::map<Uuid, Clock::time_point> breachStart_;
    std::map<Uuid, Clock::time_point> lastFired_;
};

} // namespace quorvel
