#pragma once

#include <string_view>

namespace quorvel {

// Writes "quorvel: <message>" to standard error, the first time only: a broken
// resource is reported once per run however often it is opened.
void noteOnce(std::string_view message);

} // namespace quorvel
