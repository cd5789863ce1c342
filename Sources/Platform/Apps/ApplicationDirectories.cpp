#include "Apps/ApplicationDirectories.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace quorvel::platform {
namespace {

std::optional<std::string> variable(const char *name) {
    const char *value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool isUsable(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

void addApplicationsUnder(std::vector<std::string> &directories, std::string_view dataDir) {
    if (!isUsable(dataDir)) return;
    std::string directory =
        (std::filesystem::path(dataDir) / "applications").lexically_normal().string();
    if (std::find(directories.begin(), directories.end(), directory) == directories.end()) {
        directories.push_back(std::move(directory));
    }
}

std::optional<std::string> userDataDir(const XdgEnvironment &environment) {
    if (environment.dataHome && isUsable(*environment.dataHome)) return environment.dataHome;
    if (environment.home && isUsable(*environment.home)) return *environment.home + "/.local/share";
    return std::nullopt;
}

} // namespace

XdgEnvironment currentXdgEnvironment() {
    return {variable("HOME"), variable("XDG_DATA_HOME"), variable("XDG_DATA_DIRS")};
}

std::vector<std::string> applicationDirectories(const XdgEnvironment &environment) {
    std::vector<std::string> directories;
    const std::optional<std::string> userData = userDataDir(environment);
    if (userData) addApplicationsUnder(directories, *userData);

    const std::string_view dataDirs = environment.dataDirs && !environment.dataDirs->empty()
                                          ? std::string_view(*environment.dataDirs)
                                          : "/usr/local/share:/usr/share";
    size_t begin = 0;
    while (begin <= dataDirs.size()) {
        const size_t end = std::min(dataDirs.find(':', begin), dataDirs.size());
        addApplicationsUnder(directories, dataDirs.substr(begin, end - begin));
        begin = end + 1;
    }

    if (userData) addApplicationsUnder(directories, *userData + "/flatpak/exports/share");
    addApplicationsUnder(directories, "/var/lib/flatpak/exports/share");
    addApplicationsUnder(directories, "/var/lib/snapd/desktop");
    return directories;
}

} // namespace quorvel::platform
