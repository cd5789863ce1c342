#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Model/RawProcess.h"
#include "procmem.h"

namespace quorvel::PerProcessMemory {

// How many process ids one listing examines; the rest are absent that time.
inline constexpr int32_t kMaxProcesses = 16384;

// The machine's processes in the kernel's order, those of other users left
// out when `currentUserOnly`. Stateless; any thread.
std::vector<RawProcess> listProcesses(bool currentUserOnly);

// Lists as listProcesses does, but remembers what never changes for a process
// (its start time) until the next listing, so a sampler that lists every few
// seconds reads one file less for each process it has seen before. One thread
// at a time.
class ProcessListing {
public:
    ProcessListing();

    std::vector<RawProcess> list(bool currentUserOnly);

private:
    struct Known {
        int32_t pid = 0;
        uint64_t inode = 0;
        uint64_t startTime = 0;
    };
    // Allocated once and written only as far as a listing reaches.
    std::unique_ptr<qv_pid_entry[]> entries_;
    // By pid, for the next listing.
    std::vector<Known> previous_;
};

// The real user id of this program, read once.
uint32_t ownUID();

// The process a record stands for, or nothing when the listing leaves it out:
// another user's while `currentUserOnly`, or one with neither footprint nor
// path.
std::optional<RawProcess> admit(const qv_proc_record &record, bool currentUserOnly,
                                uint32_t ownUID);

} // namespace quorvel::PerProcessMemory
