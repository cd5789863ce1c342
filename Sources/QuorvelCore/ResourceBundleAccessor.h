#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "Util/ResourceLocations.h"

namespace quorvel {

inline constexpr std::string_view kModuleBundleName = "Quorvel_QuorvelCore.bundle";

// The first of the main resources, the code's directory and the application
// directory that holds the module bundle directory.
std::optional<std::filesystem::path> findModuleBundle(const ResourceLocations &locations);

// The running program's module bundle, found once. Without it the program
// cannot show a single text, so it stops here with a message on standard
// error and a non-zero exit code.
const std::filesystem::path &moduleBundle();

} // namespace quorvel
