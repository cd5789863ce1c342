#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quorvel::platform {

// Real applications directories hold a few levels of subdirectories at most;
// these bounds keep a data directory that points at a huge tree (or at "/")
// from costing a walk of the whole file system, a watch per directory and
// memory per level.
inline constexpr int kApplicationTreeDepth = 8;
inline constexpr std::size_t kApplicationTreeDirectories = 256;

// The directories of the applications directory `applications` that are read
// for desktop entries and watched for changes: itself first, then its
// subdirectories breadth first, at most `kApplicationTreeDepth` levels down
// and `kApplicationTreeDirectories` in all. Links to subdirectories are not
// followed, and `applications` itself only when it leads to a place inside
// its data directory (its parent); links to entry files are read wherever
// they lead, as Flatpak and Snap export their entries that way. Nothing when
// `applications` is no such directory. `stopped`, when given, is asked
// between entries and cuts the walk short.
std::vector<std::string> applicationTree(const std::string &applications,
                                         const std::function<bool()> &stopped = {});

} // namespace quorvel::platform
