#include "Util/ResourceLocations.h"

#include "Install/ProgramDirectory.h"

namespace quorvel {

ResourceLocations
ResourceLocations::forExecutableDirectory(const std::filesystem::path &directory) {
    const std::filesystem::path parent = directory.parent_path();
    return {(parent / "share" / "quorvel").lexically_normal(), directory, parent};
}

ResourceLocations ResourceLocations::ofRunningExecutable() {
    const std::optional<std::filesystem::path> directory = platform::programDirectory();
    if (!directory) return {};
    return forExecutableDirectory(*directory);
}

} // namespace quorvel
