#pragma once

#include <cstdint>

namespace quorvel::platform::FreezeGuardian {

// A small process forked at start that outlives this program by a moment:
// it hears of every process Quorvel stops and lets go of, and when Quorvel
// ends without saying goodbye (killed, crashed) it continues each of them
// that is still the same process and still stopped. It never shows as an
// application: it runs Quorvel's own program, which is never offered.

// What goes down the channel, one fixed-size record at a time.
enum class Op : uint32_t { add = 1, remove = 2, goodbye = 3 };
struct Message {
    Op op;
    int32_t pid;
    uint64_t startTime;
    // Counts up from 1, so the guardian knows when it missed a message.
    uint64_t sequence;
};

// How many processes the guardian keeps; more are left to the record file.
inline constexpr int kCapacity = 4096;

// Forks the guardian, once. Call before any thread exists; with threads
// running already it starts nothing, and Quorvel runs without one.
// `recordPath` names the record file kept beside it: once the guardian has
// continued everything it heard of, it removes that file, so that a later
// start never continues what the user has stopped on purpose since.
// True when a guardian runs.
bool start(const char *recordPath);

// Tells the guardian; nothing happens without one. Never blocks: a
// guardian that cannot keep up loses the message.
void tell(Op op, int32_t pid, uint64_t startTime);

} // namespace quorvel::platform::FreezeGuardian
