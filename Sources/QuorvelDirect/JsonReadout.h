#pragma once

#include <string>

#include "MemoryReading.h"

namespace quorvel {

// The reading as one JSON document for scripts; absent values are null,
// never missing keys.
std::string jsonReadout(const MemoryReading &reading);

} // namespace quorvel
