#pragma once

#include <string_view>

namespace quorvel::platform {

// Whether a program of this file name only starts another one (env, a
// shell, flatpak, an interpreter, ...), so that finding it running says
// nothing about which application runs. Version tails count as the same
// program: "python3.11" is "python".
bool isLaunchWrapper(std::string_view programName);

} // namespace quorvel::platform
