#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Apps/ApplicationResolver.h"

namespace quorvel::platform {

// The text of /proc/<pid>/cgroup of exactly this process: nothing when it
// has exited, or when its pid now belongs to a later process (told apart by
// the start time, unless that is 0 for unknown).
std::optional<std::string> readProcessCgroup(const ProcessIdentity &process);

// The command line of /proc/<pid>/cmdline of exactly this process, as far
// as its first few kilobytes go; empty when it cannot be read.
std::vector<std::string> readProcessArguments(const ProcessIdentity &process);

// Field 22 of /proc/<pid>/stat: when the process started, in clock ticks
// since boot. Nothing when there is no such process.
std::optional<uint64_t> readProcessStartTime(int32_t pid);

} // namespace quorvel::platform
