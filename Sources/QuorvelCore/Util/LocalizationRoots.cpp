#include "Util/LocalizationRoots.h"

#include <system_error>

#include "ResourceBundleAccessor.h"

namespace quorvel {
namespace {

std::optional<std::filesystem::path> existingDirectory(const std::filesystem::path &path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path;
    return std::nullopt;
}

LocalizationRoots rootsFor(const ResourceLocations &locations,
                           const std::filesystem::path &bundle) {
    LocalizationRoots roots;
    if (locations.mainResources) roots.mainResources = existingDirectory(*locations.mainResources);
    roots.moduleLocalizationRoot = existingDirectory(bundle / "Localization");
    return roots;
}

} // namespace

std::optional<LocalizationRoots> LocalizationRoots::find(const ResourceLocations &locations) {
    const std::optional<std::filesystem::path> bundle = findModuleBundle(locations);
    if (!bundle) return std::nullopt;
    return rootsFor(locations, *bundle);
}

const LocalizationRoots &LocalizationRoots::ofProcess() {
    static const LocalizationRoots roots =
        rootsFor(ResourceLocations::ofRunningExecutable(), moduleBundle());
    return roots;
}

} // namespace quorvel
