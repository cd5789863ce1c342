#pragma once

#include <string>

namespace quorvel::platform {

// The Icon key of the desktop entry at `path`: an icon theme name or an
// absolute file path. Empty when the file cannot be read, is no desktop entry
// or names no icon.
std::string desktopEntryIcon(const std::string &path);

} // namespace quorvel::platform
