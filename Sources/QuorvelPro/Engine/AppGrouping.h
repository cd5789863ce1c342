#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Model/AppGroup.h"
#include "Model/RawProcess.h"

namespace quorvel::AppGrouping {

// How many groups one sample delivers.
inline constexpr std::size_t kGroupLimit = 40;

struct Metadata {
    std::optional<std::string> bundleID;
    std::optional<std::string> hog;
};

// What the fold keeps from one sample to the next, per group key. Entries are
// never removed: an application that quits and comes back keeps its peak.
struct Caches {
    std::unordered_map<std::string, uint64_t> peaks;
    std::unordered_map<std::string, Metadata> metadata;
};

// Folds one sample's processes into application groups: by the outermost
// ".app" bundle of the path, else by the installed application the resolver
// names (settled within each process's family), else by process name. Updates the peaks of every
// group, returns the kGroupLimit largest by `current` (equal ones by `key`), and lets the resolver
// forget processes that are gone.
std::vector<AppGroup> fold(const std::vector<RawProcess> &processes,
                           platform::ApplicationResolver &resolver, Caches &caches);

} // namespace quorvel::AppGrouping
