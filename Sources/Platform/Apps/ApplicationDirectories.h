#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::platform {

// The environment values that decide where desktop entries are installed;
// absent means unset.
struct XdgEnvironment {
    std::optional<std::string> home;
    std::optional<std::string> dataHome; // XDG_DATA_HOME
    std::optional<std::string> dataDirs; // XDG_DATA_DIRS
};

XdgEnvironment currentXdgEnvironment();

// Every directory that holds desktop entries, the one that wins a clash of
// IDs first: the user's, the system's, then the Flatpak and Snap exports
// (when the environment does not list them already). Relative paths in the
// environment are ignored, as the XDG base directory rules demand.
std::vector<std::string> applicationDirectories(const XdgEnvironment &environment);

} // namespace quorvel::platform
