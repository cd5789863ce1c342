#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Model/PressureModels.h"
#include "Util/Localizer.h"

namespace quorvel {

// What a history entry says was attempted.
enum class GovernanceAction { suspend, resume, restart, focusEnter, focusExit, notify };

// The stored names: "Freeze", "Resume", "Gentle restart", "Enter Focus Mode",
// "Exit Focus Mode", "Threshold alert".
std::string_view rawValue(GovernanceAction action);
// Exactly the six stored names; anything else is nothing.
std::optional<GovernanceAction> governanceActionFromRaw(std::string_view raw);
// The action's title ("governance.action.*") in `localizer`'s language.
std::string displayName(GovernanceAction action, const Localizer &localizer);

// A random identifier, fresh for every record.
struct RecordID {
    uint64_t high = 0;
    uint64_t low = 0;

    static RecordID random();

    bool operator==(const RecordID &) const = default;
};

// One entry of the action history. `detail` is a finished sentence in the
// language it was made in.
struct ActionRecord {
    using Clock = std::chrono::system_clock;

    RecordID id;
    Clock::time_point timestamp;
    GovernanceAction action = GovernanceAction::notify;
    std::string appName;
    std::string detail;
    bool success = false;

    // A record with a fresh id, made at `timestamp`.
    static ActionRecord make(GovernanceAction action, std::string appName, std::string detail,
                             bool success, Clock::time_point timestamp);

    bool operator==(const ActionRecord &) const = default;
};

// The running focus-mode session.
struct FocusSession {
    ActionRecord::Clock::time_point startedAt;
    std::vector<int32_t> frozenPIDs;     // in the order they were stopped
    std::vector<std::string> frozenApps; // targets with at least one stopped process
    uint64_t frozenFootprint = 0;        // bytes, each frozen application once
    std::optional<VMSnapshot> before;    // taken before anything was stopped
    std::optional<VMSnapshot> after;     // taken a little after the freeze

    // How much more free, and compressed, memory the after-reading shows
    // than the before-reading, in bytes; nothing without both readings.
    std::optional<int64_t> freeChange() const;
    std::optional<int64_t> compressedChange() const;

    bool operator==(const FocusSession &) const = default;
};

} // namespace quorvel
