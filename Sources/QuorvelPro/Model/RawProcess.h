#pragma once

#include <cstdint>
#include <string>

#include "Apps/ApplicationResolver.h"

namespace quorvel {

// One listed process. `name` and `path` are valid UTF-8; `startTime` is in
// clock ticks after boot, 0 where unknown.
struct RawProcess {
    static constexpr int32_t kStoppedStatus = 4;

    int32_t pid = 0;
    int32_t ppid = 0;
    uint32_t uid = 0;
    int32_t status = 0;
    uint64_t footprint = 0;
    std::string name;
    std::string path;
    uint64_t startTime = 0;

    int32_t id() const { return pid; }
    bool isStopped() const { return status == kStoppedStatus; }
    // The pid alone may be reused by a later process; with the start time it
    // may not.
    platform::ProcessIdentity identity() const;

    bool operator==(const RawProcess &) const = default;
};

} // namespace quorvel
