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

std::optional<RawProcess> admit(const qv_proc_record &record, bool currentUserOnly,
                                uint32_t ownUID) {
    if (record.pid <= 0) return std::nullopt;
    if (currentUserOnly && record.uid != ownUID) return std::nullopt;
    const std::string_view path = field(record.path, sizeof record.path);
    if (record.footprint == 0 && path.empty()) return std::nullopt;
    return RawProcess{record.pid,
                      record.ppid,
                      record.uid,
                      record.status,
                      record.footprint,
                      utf8WithReplacements(field(record.name, sizeof record.name)),
                      utf8WithReplacements(path),
                      record.start_time};
}

std::vector<RawProcess> listProcesses(bool currentUserOnly) {
    return ProcessListing(0).list(currentUserOnly);
}

ProcessListing::ProcessListing(std::size_t openBudget)
    : openBudget_(openBudget)
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

std::vector<RawProcess> ProcessListing::list(bool currentUserOnly) {
    const int32_t count = qv_list_pid_entries(entries_.get(), kMaxProcesses);
    std::vector<Known> seen;
    std::vector<RawProcess> processes;
    if (count > 0) {
        seen.reserve(static_cast<std::size_t>(count));
        processes.reserve(static_cast<std::size_t>(count));
    }
    std::size_t open = static_cast<std::size_t>(
        std::ranges::count_if(previous_, [](const Known &k) { return k.memo.status_fd >= 0; }));
    const uint32_t uid = ownUID();
    qv_proc_record record;
    for (int32_t i = 0; i < count; ++i) {
        const qv_pid_entry &entry = entries_[static_cast<std::size_t>(i)];
        Known known{entry.pid};
        const auto earlier = std::ranges::lower_bound(previous_, entry.pid, {}, &Known::pid);
        if (earlier != previous_.end() && earlier->pid == entry.pid) {
            known.memo = std::exchange(earlier->memo, qv_proc_memo{0, 0, -1});
        }
        const bool wasOpen = known.memo.status_fd >= 0;
        std::memset(&record, 0, sizeof record);
        const int32_t result =
            qv_proc_info_listed(&entry, open < openBudget_ ? 1 : 0, &known.memo, &record);
        open = open - (wasOpen ? 1 : 0) + (known.memo.status_fd >= 0 ? 1 : 0);
        if (result != 0) continue;
        seen.push_back(known);
        if (auto process = admit(record, currentUserOnly, uid)) {
            processes.push_back(std::move(*process));
        }
    }
    // What is left belongs to processes that have gone.
    for (Known &gone : previous_) qv_proc_memo_release(&gone.memo);
    std::ranges::sort(seen, {}, &Known::pid);
    previous_ = std::move(seen);
    return processes;
}

} // namespace quorvel::PerProcessMemory
