#include "Apps/ProcessCgroup.h"

#include <charconv>
#include <string_view>

#include "Apps/BoundedFile.h"

namespace quorvel::platform {
namespace {

constexpr size_t kProcFileLimit = 64 * 1024;

std::string procFile(int32_t pid, const char *name) {
    return "/proc/" + std::to_string(pid) + "/" + name;
}

// The command name (field 2) may hold spaces and parentheses, so fields are
// counted from its closing parenthesis.
std::optional<uint64_t> startTimeIn(std::string_view stat) {
    const size_t close = stat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    stat.remove_prefix(close + 1);
    for (int field = 3; field < 22; ++field) {
        const size_t space = stat.find(' ', 1);
        if (space == std::string_view::npos) return std::nullopt;
        stat.remove_prefix(space);
    }
    stat.remove_prefix(1);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(stat.data(), stat.data() + stat.size(), value);
    if (error != std::errc() || end == stat.data()) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> readProcessCgroup(const ProcessIdentity &process) {
    if (process.pid <= 0) return std::nullopt;
    std::optional<std::string> cgroup =
        readBoundedFile(procFile(process.pid, "cgroup"), kProcFileLimit);
    if (!cgroup || process.startTime == 0) return cgroup;
    // Read after the cgroup: if the pid was reused in between, this shows it.
    if (readProcessStartTime(process.pid) != process.startTime) return std::nullopt;
    return cgroup;
}

std::optional<uint64_t> readProcessStartTime(int32_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::optional<std::string> stat = readBoundedFile(procFile(pid, "stat"), kProcFileLimit);
    if (!stat) return std::nullopt;
    return startTimeIn(*stat);
}

} // namespace quorvel::platform
