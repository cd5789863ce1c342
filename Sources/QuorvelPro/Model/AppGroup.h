#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Model/RawProcess.h"

namespace quorvel {

// One application in a sample, identified by `key`: the installed
// application's path, or "proc:" + the process name outside any application.
struct AppGroup {
    std::string key;
    std::string displayName;
    std::optional<std::string> appPath; // equal to key for applications
    std::optional<std::string> bundleID;
    uint64_t current = 0; // footprint summed over `processes`, bytes
    uint64_t peak = 0;    // highest `current` seen for `key`, this one included
    std::vector<RawProcess> processes;
    bool isKnownHog = false;
    std::optional<std::string> hogLabel;
    bool isStopped = false; // every member is stopped

    const std::string &id() const { return key; }
    std::vector<int32_t> pids() const;

    bool operator==(const AppGroup &) const = default;
};

} // namespace quorvel
