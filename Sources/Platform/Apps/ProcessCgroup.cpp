#include "Apps/ProcessCgroup.h"

#include <fcntl.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "procparse.h"
#include "smallfile.h"

namespace quorvel::platform {
namespace {

// cgroup and stat texts are a few hundred bytes; a longer text would lose
// its last lines, never half of one.
constexpr size_t kProcTextLimit = 16 * 1024;
constexpr int kExecSettleRetries = 20;

std::optional<std::string> readProcText(int32_t pid, const char *name) {
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(pid), name);
    std::array<char, kProcTextLimit> text;
    const long length = qv_read_small_file(AT_FDCWD, path, text.data(), text.size());
    if (length < 0) return std::nullopt;
    return std::string(text.data(), static_cast<size_t>(length));
}

} // namespace

std::optional<std::string> readProcessCgroup(const ProcessIdentity &process) {
    if (process.pid <= 0) return std::nullopt;
    std::optional<std::string> cgroup = readProcText(process.pid, "cgroup");
    if (!cgroup || process.startTime == 0) return cgroup;
    // Read after the cgroup: if the pid was reused in between, this shows it.
    if (readProcessStartTime(process.pid) != process.startTime) return std::nullopt;
    return cgroup;
}

std::vector<std::string> readProcessArguments(const ProcessIdentity &process) {
    std::vector<std::string> arguments;
    if (process.pid <= 0) return arguments;
    std::optional<std::string> text = readProcText(process.pid, "cmdline");
    // A process in the middle of an exec already shows its new program but no
    // arguments yet, for a moment; a program's run always has at least one.
    for (int retry = 0; retry < kExecSettleRetries && text && text->empty(); ++retry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        text = readProcText(process.pid, "cmdline");
    }
    if (!text || (process.startTime != 0 && readProcessStartTime(process.pid) != process.startTime))
        return arguments;
    size_t start = 0;
    while (start < text->size()) {
        size_t end = text->find('\0', start);
        if (end == std::string::npos) end = text->size();
        arguments.push_back(text->substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

std::optional<uint64_t> readProcessStartTime(int32_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::optional<std::string> stat = readProcText(pid, "stat");
    uint64_t startTime = 0;
    if (!stat || qv_parse_proc_start_time(stat->data(), stat->size(), &startTime) != 0) {
        return std::nullopt;
    }
    return startTime;
}

} // namespace quorvel::platform
