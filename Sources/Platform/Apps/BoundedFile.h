#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace quorvel::platform {

// The whole content of a regular file, or nothing when it cannot be read,
// is no regular file (a FIFO would block the reader) or holds more than
// `limit` bytes.
std::optional<std::string> readBoundedFile(const std::string &path, size_t limit);

} // namespace quorvel::platform
