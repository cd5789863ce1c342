#pragma once

#include <filesystem>
#include <optional>

namespace quorvel {

// Where the program's resources may be, derived from the running executable:
// an installed copy and a build tree each find their own, never each other's.
struct ResourceLocations {
    // <prefix>/share/quorvel, for an executable in <prefix>/bin.
    std::optional<std::filesystem::path> mainResources;
    // The executable's own directory.
    std::optional<std::filesystem::path> codeResources;
    // The parent of the executable's directory.
    std::optional<std::filesystem::path> applicationDirectory;

    static ResourceLocations forExecutableDirectory(const std::filesystem::path &directory);
    // All absent when the executable's path cannot be read.
    static ResourceLocations ofRunningExecutable();
};

} // namespace quorvel
