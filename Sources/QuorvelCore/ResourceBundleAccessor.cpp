#include "ResourceBundleAccessor.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace quorvel {

std::optional<std::filesystem::path> findModuleBundle(const ResourceLocations &locations) {
    for (const auto &candidate :
         {locations.mainResources, locations.codeResources, locations.applicationDirectory}) {
        if (!candidate) continue;
        const std::filesystem::path bundle = *candidate / kModuleBundleName;
        std::error_code error;
        if (std::filesystem::is_directory(bundle, error)) return bundle;
    }
    return std::nullopt;
}

const std::filesystem::path &moduleBundle() {
    static const std::filesystem::path bundle = [] {
        std::optional<std::filesystem::path> found =
            findModuleBundle(ResourceLocations::ofRunningExecutable());
        if (!found) {
            std::fputs("quorvel: unable to find bundle named Quorvel_QuorvelCore\n", stderr);
            std::exit(EXIT_FAILURE);
        }
        return *std::move(found);
    }();
    return bundle;
}

} // namespace quorvel
