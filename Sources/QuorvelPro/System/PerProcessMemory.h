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

// Lists as listProcesses does, but remembers from one listing to the next what
// never changes for a process (its start time) and keeps its status file
// open, so a sampler that lists every few seconds reads each process it has
// seen before with one read of status and one of its exe link. At most
// `openBudget` files stay open; the default leaves room under the limit on
// open files for the rest of the program. One thread at a time.
class ProcessListing {
public:
    explicit ProcessListing(std::size_t openBudget = defaultOpenBudget());
    ~ProcessListing();
    ProcessListing(const ProcessListing &) = delete;
    ProcessListing &operator=(const ProcessListing &) = delete;

    std::vector<RawProcess> list(bool currentUserOnly);

    // The soft limit on open files less 256, at most 2048 (each open file
    // also holds about 4 KiB of kernel memory).
    static std::size_t defaultOpenBudget();

private:
    struct Known {
        int32_t pid = 0;
        qv_proc_memo memo{0, 0, -1};
    };
    std::size_t openBudget_;
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
