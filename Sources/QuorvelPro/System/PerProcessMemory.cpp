#include "System/PerProcessMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "Util/Utf8.h"

namespace quorvel::PerProcessMemory {

namespace {

std::string_view field(const char *text, std::size_t capacity) {
    return {text, strnlen(text, capacity)};
}

} // namespace

uint32_t ownUID() {
    static const uint32_t uid = static_cast<uint32_t>(::getuid());
    return uid;
}

namespace {

RawProcess fromRecord(const qv_proc_record &record) {
    return RawProcess{record.pid,
                      record.ppid,
                      record.uid,
                      record.status,
                      record.footprint,
                      utf8WithReplacements(field(record.name, sizeof record.name)),
                      utf8WithReplacements(field(record.path, sizeof record.path)),
                      record.start_time};
}

bool admitted(const RawProcess &process, bool currentUserOnly, uint32_t ownUID) {
    if (process.pid <= 0) return false;
    if (currentUserOnly && process.uid != ownUID) return false;
    return process.footprint != 0 || !process.path.empty();
}

std::size_t openFiles(const qv_proc_memo &memo) {
    return (memo.schedstat_fd >= 0 ? 1 : 0) + (memo.statm_fd >= 0 ? 1 : 0);
}

} // namespace

std::optional<RawProcess> admit(const qv_proc_record &record, bool currentUserOnly,
                                uint32_t ownUID) {
    RawProcess process = fromRecord(record);
    if (!admitted(process, currentUserOnly, ownUID)) return std::nullopt;
    return process;
}

std::vector<RawProcess> listProcesses(bool currentUserOnly) {
    return ProcessListing(0).list(currentUserOnly);
}

ProcessListing::ProcessListing(std::size_t openBudget, Clock clock, std::chrono::seconds fullPace)
    : openBudget_(openBudget)
    , clock_(std::move(clock))
    , fullPace_(fullPace)
    , entries_(std::make_unique_for_overwrite<qv_pid_entry[]>(kMaxProcesses)) {}

ProcessListing::~ProcessListing() {
    for (Known &known : previous_) qv_proc_memo_release(&known.memo);
}

std::size_t ProcessListing::defaultOpenBudget() {
    constexpr rlim_t kReserve = 256;
    constexpr rlim_t kMost = 2048;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur <= kReserve) return 0;
    return static_cast<std::size_t>(std::min(limit.rlim_cur - kReserve, kMost));
}

int32_t ProcessListing::read(const qv_pid_entry &entry, bool reuse, Known &known,
                             std::size_t &open) {
    const std::size_t before = openFiles(known.memo);
    const bool keepOpen = open - before + 2 <= openBudget_;
    qv_proc_record record;
    std::memset(&record, 0, sizeof record);
    const int32_t result =
        qv_proc_info_listed(&entry, keepOpen ? 1 : 0, reuse ? 1 : 0, &known.memo, &record);
    open = open - before + openFiles(known.memo);
    if (result == 0) {
        known.process = fromRecord(record);
        ++readInFull_;
    }
    return result;
}

std::vector<RawProcess> ProcessListing::list(bool currentUserOnly) {
    const auto now = clock_();
    const bool full = !lastFull_ || now - *lastFull_ >= fullPace_;
    if (full) lastFull_ = now;
    readInFull_ = 0;
    const int32_t count = qv_list_pid_entries(entries_.get(), kMaxProcesses);
    std::vector<Known> seen;
    // Those taken as they were, whose parent is checked below.
    std::vector<std::size_t> unread;
    if (count > 0) seen.reserve(static_cast<std::size_t>(count));
    std::size_t open = 0;
    for (const Known &known : previous_) open += openFiles(known.memo);
    for (int32_t i = 0; i < count; ++i) {
        const qv_pid_entry &entry = entries_[static_cast<std::size_t>(i)];
        Known known;
        known.pid = entry.pid;
        const auto earlier = std::ranges::lower_bound(previous_, entry.pid, {}, &Known::pid);
        if (earlier != previous_.end() && earlier->pid == entry.pid) {
            known.memo = std::exchange(earlier->memo, kEmptyMemo);
            known.process = std::move(earlier->process);
        }
        const int32_t result = read(entry, !full, known, open);
        if (result < 0) continue;
        if (result == 1) unread.push_back(seen.size());
        seen.push_back(std::move(known));
    }
    // What is left belongs to processes that have gone.
    for (Known &gone : previous_) qv_proc_memo_release(&gone.memo);
    previous_.clear();

    // A process whose parent has gone (or no longer has memory of its own,
    // as on its way out) was handed to another without running.
    std::vector<int32_t> live;
    live.reserve(seen.size());
    for (const Known &known : seen) live.push_back(known.pid);
    std::ranges::sort(live);
    for (const std::size_t index : unread) {
        Known &known = seen[index];
        const int32_t ppid = known.process.ppid;
        if (ppid <= 0 || std::ranges::binary_search(live, ppid)) continue;
        const qv_pid_entry entry{known.pid, known.memo.inode};
        if (read(entry, false, known, open) < 0) known.pid = 0;
    }

    const uint32_t uid = ownUID();
    std::vector<RawProcess> processes;
    processes.reserve(seen.size());
    for (const Known &known : seen) {
        if (known.pid != 0 && admitted(known.process, currentUserOnly, uid))
            processes.push_back(known.process);
    }
    std::erase_if(seen, [](const Known &known) { return known.pid == 0; });
    std::ranges::sort(seen, {}, &Known::pid);
    previous_ = std::move(seen);
    return processes;
}

} // namespace quorvel::PerProcessMemory
