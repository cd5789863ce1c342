#pragma once

#include <filesystem>
#include <optional>

#include "Util/ResourceLocations.h"

namespace quorvel {

// The two places searched for a language's "<code>.lproj" directory, in order.
struct LocalizationRoots {
    std::optional<std::filesystem::path> mainResources;
    // "Localization" inside the module bundle; absent when it has none.
    std::optional<std::filesystem::path> moduleLocalizationRoot;

    // Nothing when no module bundle is there.
    static std::optional<LocalizationRoots> find(const ResourceLocations &locations);
    // The running program's roots, found once; stops the program without a
    // module bundle.
    static const LocalizationRoots &ofProcess();
};

} // namespace quorvel
