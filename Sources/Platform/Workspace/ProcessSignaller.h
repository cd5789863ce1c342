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

    // Continues the process under `pid` only if it still started at
    // `startTime` and is still stopped, under the same rules as `send`.
    // Allocates nothing, so a process forked from this one may call it.
    static bool continueIfStillStopped(int32_t pid, uint64_t startTime);

    static int signalNumber(ProcessSignal signal);

    // Whether `current` is the process `sampled` was taken from, judged by
    // whatever the sample knows of it.
    static bool isSameProcess(const SampledProcess &sampled, const ListedProcess &current);

private:
    // Says whether the process now under `pid` is the one meant, and whose
    // it is.
    using Acceptor = bool (*)(int32_t pid, const void *context, uint32_t *owner);
    // The rules every signal of this program obeys, in one place: the
    // process is held by a pidfd while `accept` looks at it, so a pid taken
    // over in between gets nothing.
    static bool sendIfAccepted(int32_t pid, int signalNumber, Acceptor accept, const void *context);

    Inspector inspect_;
};

} // namespace quorvel::platform
