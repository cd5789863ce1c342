#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// The bytes as valid UTF-8: every ill-formed part (each maximal subpart of a
// broken sequence, each stray byte) becomes one U+FFFD, the rest is kept.
std::string utf8WithReplacements(std::string_view bytes);

} // namespace quorvel
