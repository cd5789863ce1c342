#pragma once

#include <string>

#include "MemoryReading.h"

namespace quorvel {

// The reading as lines for a terminal, in the run's language: the pressure
// header and the ten largest applications in aligned columns. `colour` marks
// the level word with ANSI colours.
std::string terminalReadout(const MemoryReading &reading, bool colour);

} // namespace quorvel
