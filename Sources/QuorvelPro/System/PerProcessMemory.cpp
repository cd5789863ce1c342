#include "System/PerProcessMemory.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

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
    return ProcessListing().list(currentUserOnly);
}

ProcessListing::ProcessListing()
    : entries_(std::make_unique_for_overwrite<qv_pid_entry[]>(kMaxProcesses)) {}

std::vector<RawProcess> ProcessListing::list(bool currentUserOnly) {
    const int32_t count = qv_list_pid_entries(entries_.get(), kMaxProcesses);
    if (count < 1) return {};
    std::vector<RawProcess> processes;
    processes.reserve(static_cast<std::size_t>(count));
    std::vector<Known> seen;
    seen.reserve(static_cast<std::size_t>(count));
    const uint32_t uid = ownUID();
    qv_proc_record record;
    for (int32_t i = 0; i < count; ++i) {
        const qv_pid_entry &entry = entries_[static_cast<std::size_t>(i)];
        const auto earlier = std::ranges::lower_bound(previous_, entry.pid, {}, &Known::pid);
        const Known known =
            earlier != previous_.end() && earlier->pid == entry.pid ? *earlier : Known{};
        std::memset(&record, 0, sizeof record);
        if (qv_proc_info_listed(&entry, known.inode, known.startTime, &record) != 0) continue;
        seen.push_back({entry.pid, record.inode, record.start_time});
        if (auto process = admit(record, currentUserOnly, uid)) {
            processes.push_back(std::move(*process));
        }
    }
    std::ranges::sort(seen, {}, &Known::pid);
    previous_ = std::move(seen);
    return processes;
}

} // namespace quorvel::PerProcessMemory
