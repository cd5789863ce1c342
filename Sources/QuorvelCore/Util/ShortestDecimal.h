#pragma once

#include <string>

namespace quorvel {

// The shortest decimal that reads back as exactly `value`, always with a
// fraction part ("1512.0", "0.1", "1e+300" stays as it is).
std::string shortestDecimal(double value);

} // namespace quorvel
