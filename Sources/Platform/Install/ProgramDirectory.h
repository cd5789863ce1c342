#pragma once

#include <filesystem>
#include <optional>

namespace quorvel::platform {

// The folder of bin/quorvel, whichever of Quorvel's two programs runs: the
// drawing program, <prefix>/lib/quorvel/quorvel, finds its resources where
// <prefix>/bin/quorvel does. Nothing when the executable's path cannot be
// read.
std::optional<std::filesystem::path> programDirectory();

} // namespace quorvel::platform
