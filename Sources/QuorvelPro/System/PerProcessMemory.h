#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "Model/RawProcess.h"
#include "procmem.h"

namespace quorvel::PerProcessMemory {

// How many process ids one listing examines; the rest are absent that time.
inline constexpr int32_t kMaxProcesses = 16384;

// The machine's processes in the kernel's order, those of other users left
// out when `currentUserOnly`. Stateless; any thread.
std::vector<RawProcess> listProcesses(bool currentUserOnly);

// The real user id of this program, read once.
uint32_t ownUID();

// The process a record stands for, or nothing when the listing leaves it out:
// another user's while `currentUserOnly`, or one with neither footprint nor
// path.
std::optional<RawProcess> admit(const qv_proc_record &record, bool currentUserOnly,
                                uint32_t ownUID);

} // namespace quorvel::PerProcessMemory
