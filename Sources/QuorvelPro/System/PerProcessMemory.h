#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
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

// A memo that keeps nothing.
inline constexpr qv_proc_memo kEmptyMemo{0, 0, -1, -1, 0, 0, 0};

// Lists as listProcesses does, but remembers from one listing to the next
// what each process was, and reads a process in full again only when it ran
// or its resident private memory moved since, or its parent has gone (which
// hands it to another without it running). Every `fullPace` it reads all of
// them in full, so that whatever that misses is seen within that time. The
// run-time and statm files of up to `openBudget` / 2 processes stay open; the
// default leaves room under the limit on open files for the rest of the
// program. One thread at a time.
class ProcessListing {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kFullPace{30};

    explicit ProcessListing(std::size_t openBudget = defaultOpenBudget(),
                            Clock clock = std::chrono::steady_clock::now,
                            std::chrono::seconds fullPace = kFullPace);
    ~ProcessListing();
    ProcessListing(const ProcessListing &) = delete;
    ProcessListing &operator=(const ProcessListing &) = delete;

    std::vector<RawProcess> list(bool currentUserOnly);

    // How many processes the last listing read in full.
    std::size_t readInFull() const { return readInFull_; }

    // The soft limit on open files less 256, at most 2048 (each open file
    // also holds about 4 KiB of kernel memory).
    static std::size_t defaultOpenBudget();

private:
    struct Known {
        int32_t pid = 0;
        qv_proc_memo memo = kEmptyMemo;
        // As the last full read gave it, whether admitted or not.
        RawProcess process;
    };
    // 0 read in full, 1 as it was, -1 gone.
    int32_t read(const qv_pid_entry &entry, bool reuse, Known &known, std::size_t &open);

    std::size_t openBudget_;
    Clock clock_;
    std::chrono::seconds fullPace_;
    std::optional<std::chrono::steady_clock::time_point> lastFull_;
    std::size_t readInFull_ = 0;
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
