#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "Workspace/ListedProcess.h"
#include "Workspace/Workspace.h"

namespace quorvel::platform {

// Sends signals only where they are safe. A sample may be seconds old, so
// before each signal the pid is looked at again, and nothing is sent unless
// it is still the sampled process and it belongs to the current user.
// Never signals pid 1 or below, nor this program.
class ProcessSignaller {
public:
    // The process now running under a pid, or nothing when it is gone.
    using Inspector = std::function<std::optional<ListedProcess>(int32_t pid)>;

    explicit ProcessSignaller(Inspector inspect);

    // True when the signal was delivered to the very process `process` was
    // sampled from.
    bool send(const SampledProcess &process, int signalNumber) const;

    static int signalNumber(ProcessSignal signal);

    // Whether `current` is the process `sampled` was taken from, judged by
    // whatever the sample knows of it.
    static bool isSameProcess(const SampledProcess &sampled, const ListedProcess &current);

private:
    Inspector inspect_;
};

} // namespace quorvel::platform
