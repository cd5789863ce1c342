#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::KnownHogs {

// The label of the first well-known memory-heavy application whose needle
// occurs in the lowercased display name and identifier, or nothing.
std::optional<std::string> match(std::string_view displayName,
                                 const std::optional<std::string> &bundleID);

} // namespace quorvel::KnownHogs
