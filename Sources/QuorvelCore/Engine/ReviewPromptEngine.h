#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Model/PressureModels.h"

namespace quorvel {

using Date = std::chrono::system_clock::time_point;

// The usage record the review prompt keeps across launches.
struct ReviewPromptState {
    std::optional<Date> firstLaunch;
    int64_t panelOpens = 0;
    std::vector<std::string> activeDays; // day keys, oldest first, each once
    bool sawStrain = false;
    std::optional<std::string> lastRequestVersion;
    std::optional<Date> lastRequestDate;

    bool operator==(const ReviewPromptState &) const = default;

    // A JSON object with one member per field; dates are seconds since
    // 2001-01-01 00:00:00 UTC. Nothing when the text cannot be encoded.
    std::optional<std::string> toJSON() const;
    // Nothing when the text is not such an object, a required member is
    // missing or of the wrong type, or a date lies beyond any clock's reach.
    static std::optional<ReviewPromptState> fromJSON(std::string_view json);
};

// The local calendar date of `date` as "yyyy-MM-dd" (Gregorian, ASCII digits,
// the machine's current time zone).
std::string dayKey(Date date);

// When to ask for a store review. Pure: it holds no state and reads nothing.
namespace ReviewPromptEngine {

inline constexpr double kSecondsPerDay = 86400;

struct Policy {
    double strainMinDaysInstalled = 0;
    int64_t strainMinActiveDays = 0;
    int64_t strainMinPanelOpens = 0;
    double habitMinDaysInstalled = 0;
    int64_t habitMinActiveDays = 0;
    int64_t habitMinPanelOpens = 0;
    double minDwellSeconds = 0;
    double minDaysBetweenRequests = 0;

    bool operator==(const Policy &) const = default;
};

// Why not to ask; in the order the checks run.
enum class Hold {
    noFirstLaunchRecorded,
    alreadyAskedThisVersion,
    askedRecently,
    memoryUnderStrain,
    panelNotReadLongEnough,
    tooSoonAfterInstall,
    notEnoughUse,
};

struct Outcome {
    std::optional<Hold> hold; // absent: ask

    static Outcome ask() { return {}; }
    static Outcome holding(Hold reason) { return {reason}; }
    bool asks() const { return !hold; }

    bool operator==(const Outcome &) const = default;
};

Outcome evaluate(const ReviewPromptState &state, std::string_view version, PressureLevel level,
                 double dwellSeconds, Date now, const Policy &policy);

} // namespace ReviewPromptEngine
} // namespace quorvel
