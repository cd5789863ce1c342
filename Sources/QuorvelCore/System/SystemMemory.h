#pragma once

#include <optional>

#include "Model/PressureModels.h"

namespace quorvel::SystemMemory {

// One reading through the shim; absent when it fails.
std::optional<VMSnapshot> vmSnapshot();

// The shim's kernel-style level (1, 2, 4), or -1 when it cannot be read.
int pressureLevelSysctl();

} // namespace quorvel::SystemMemory
