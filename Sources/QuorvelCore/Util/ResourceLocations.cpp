#include "Util/ResourceLocations.h"

#include <system_error>

namespace quorvel {

ResourceLocations
ResourceLocations::forExecutableDirectory(const std::filesystem::path &directory) {
    const std::filesystem::path parent = directory.parent_path();
    return {(parent / "share" / "quorvel").lexically_normal(), directory, parent};
}

ResourceLocations ResourceLocations::ofRunningExecutable() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path()) return {};
    // The drawing program, <prefix>/lib/quorvel/quorvel, finds what
    // <prefix>/bin/quorvel finds.
    const std::filesystem::path directory = executable.parent_path();
    if (directory.filename() == "quorvel" && directory.parent_path().filename() == "lib")
        return forExecutableDirectory(directory.parent_path().parent_path() / "bin");
    return forExecutableDirectory(directory);
}

} // namespace quorvel
