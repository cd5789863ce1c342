#pragma once

#include <cstdint>
#include <string>

#include "Workspace/Workspace.h"

namespace quorvel::platform {

// A process as the workspace sees it when it looks: who runs it, what it
// runs and where it hangs in the process tree. `name` and `path` are spelt
// as in a sample, so the two can be compared.
struct ListedProcess {
    int32_t pid = 0;
    int32_t ppid = 0;
    uint32_t uid = 0;
    uint64_t startTime = 0; // clock ticks since boot; 0 when unknown
    std::string name;
    std::string path;

    SampledProcess sampled() const { return {pid, startTime, name, path}; }

    bool operator==(const ListedProcess &) const = default;
};

} // namespace quorvel::platform
