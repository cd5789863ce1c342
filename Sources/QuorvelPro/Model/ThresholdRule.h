#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Util/Uuid.h"

namespace quorvel {

// What a threshold rule does when it fires, in the order the editor lists them.
enum class RuleAction { notify, restart, suspend };

inline constexpr std::array<RuleAction, 3> kAllRuleActions{RuleAction::notify, RuleAction::restart,
                                                           RuleAction::suspend};

// The stored names: "notify", "restart", "suspend".
std::string_view rawValue(RuleAction action);
// Exactly the three stored names; anything else is nothing.
std::optional<RuleAction> ruleActionFromRaw(std::string_view raw);
// The key of the action's title ("pro.rules.action.*").
std::string_view displayKey(RuleAction action);

// When the application at `appKey` has used more than `limitBytes` for at
// least `sustainedSeconds`, do `action`.
struct ThresholdRule {
    Uuid id;
    std::string appKey;  // the AppGroup key the rule watches
    std::string appName; // as it was when the rule was made; shown only
    uint64_t limitBytes = 0;
    double sustainedSeconds = 0;
    RuleAction action = RuleAction::notify;
    bool isEnabled = false;

    // What the editor offers.
    static constexpr std::array<double, 7> kLimitChoicesGB{2, 3, 4, 6, 8, 12, 16};
    static constexpr std::array<double, 4> kSustainedChoicesMinutes{1, 5, 10, 30};

    // "5 minutes", in the run's language.
    std::string sustainedLabel() const;

    bool operator==(const ThresholdRule &) const = default;
};

// `seconds` / 60 rounded to the nearest whole number, halves away from zero.
// A time that cannot be waited out (not a number, or below zero) counts as 0
// minutes, one too long to write is the largest count.
int64_t wholeMinutes(double seconds);

// The stored form: one compact JSON array of rule objects with the keys "id",
// "appKey", "appName", "limitBytes", "sustainedSeconds", "action" and
// "isEnabled". Nothing when a rule's time is not a finite number, which JSON
// cannot hold.
std::optional<std::string> encodeRules(const std::vector<ThresholdRule> &rules);
// Every rule, or nothing when any part of `json` is not as `encodeRules`
// writes it (keys may come in any order; unknown keys are skipped).
std::optional<std::vector<ThresholdRule>> decodeRules(std::string_view json);

} // namespace quorvel
