#include "System/UserProcessTable.h"

#include <dirent.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <memory>

#include "Util/Utf8.h"
#include "procmem.h"

namespace quorvel {
namespace {

std::string_view field(const char *text, std::size_t capacity) {
    return {text, strnlen(text, capacity)};
}

std::optional<int32_t> pidNamed(const char *name) {
    int32_t pid = 0;
    const char *end = name + std::strlen(name);
    const auto [stop, error] = std::from_chars(name, end, pid);
    if (error != std::errc() || stop != end || pid <= 0) return std::nullopt;
    return pid;
}

struct DirectoryCloser {
    void operator()(DIR *directory) const { ::closedir(directory); }
};

} // namespace

UserProcessTable::UserProcessTable(Inspector inspect, std::string processRoot)
    : inspect_(std::move(inspect))
    , processRoot_(std::move(processRoot)) {}

std::optional<platform::ListedProcess> UserProcessTable::inspectOwnProcess(int32_t pid) {
    static const uint32_t ownUID = static_cast<uint32_t>(::getuid());
    qv_proc_record record{};
    if (qv_proc_info(pid, &record) != 0 || record.uid != ownUID) return std::nullopt;
    const std::string_view path = field(record.path, sizeof record.path);
    if (path.empty()) return std::nullopt;
    return platform::ListedProcess{record.pid,
                                   record.ppid,
                                   record.uid,
                                   record.start_time,
                                   utf8WithReplacements(field(record.name, sizeof record.name)),
                                   utf8WithReplacements(path)};
}

std::vector<platform::ListedProcess> UserProcessTable::list() {
    const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(processRoot_.c_str()));
    if (!directory) return {};
    std::unordered_map<int32_t, Seen> current;
    current.reserve(seen_.size());
    std::vector<platform::ListedProcess> processes;
    while (const dirent *entry = ::readdir(directory.get())) {
        const std::optional<int32_t> pid = pidNamed(entry->d_name);
        if (!pid) continue;
        const uint64_t inode = entry->d_ino;
        auto known = seen_.find(*pid);
        Seen seen = known != seen_.end() && known->second.inode == inode
                        ? std::move(known->second)
                        : Seen{inode, inspect_(*pid)};
        if (seen.process) processes.push_back(*seen.process);
        current.insert_or_assign(*pid, std::move(seen));
    }
    // Only the living stay remembered, so a long run does not grow.
    seen_ = std::move(current);
    return processes;
}

} // namespace quorvel
