#include "Engine/AppGrouping.h"

#include <algorithm>

#include "Apps/ProcessFamilies.h"
#include "Support/KnownHogs.h"

namespace quorvel::AppGrouping {

namespace {

constexpr std::string_view kBundleMarker = ".app/";
constexpr std::string_view kBundleSuffix = ".app";
constexpr std::string_view kProcessKeyPrefix = "proc:";

// Where one process belongs.
struct Placement {
    std::string key;
    std::string displayName;
    std::optional<std::string> appPath;
    // The identifier the resolver gave along with the application; bundles
    // are asked for theirs by path.
    std::optional<std::string> knownID;
};

std::string lastPathComponent(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::optional<Placement> bundlePlacement(const std::string &path) {
    const std::size_t marker = path.find(kBundleMarker);
    if (marker == std::string::npos) return std::nullopt;
    std::string appPath = path.substr(0, marker) + std::string(kBundleSuffix);
    std::string displayName = lastPathComponent(appPath);
    displayName.resize(displayName.size() - kBundleSuffix.size());
    return Placement{appPath, std::move(displayName), appPath, std::nullopt};
}

Placement placementOf(const RawProcess &process,
                      std::optional<platform::InstalledApplication> application) {
    if (auto bundle = bundlePlacement(process.path)) return std::move(*bundle);
    if (application && !application->path.empty()) {
        std::optional<std::string> id;
        if (!application->id.empty()) id = application->id;
        return {application->path, std::move(application->name), application->path, std::move(id)};
    }
    return {std::string(kProcessKeyPrefix) + process.name, process.name, std::nullopt,
            std::nullopt};
}

// What the resolver finds for each process, settled within its family.
std::vector<std::optional<platform::InstalledApplication>>
applicationsOf(const std::vector<RawProcess> &processes, platform::ApplicationResolver &resolver) {
    std::vector<platform::FamilyMember> members;
    members.reserve(processes.size());
    for (const RawProcess &process : processes) {
        platform::FamilyMember &member =
            members.emplace_back(process.pid, process.ppid, lastPathComponent(process.path));
        if (!bundlePlacement(process.path))
            member.found = resolver.applicationFor(process.identity(), process.path);
    }
    return platform::settleFamilies(members);
}

// Worked out once per key for the whole run, even if the application
// changes later.
const Metadata &metadataFor(const Placement &placement, platform::ApplicationResolver &resolver,
                            Caches &caches) {
    auto found = caches.metadata.find(placement.key);
    if (found != caches.metadata.end()) return found->second;
    std::optional<std::string> bundleID = placement.knownID;
    if (!bundleID && placement.appPath) bundleID = resolver.identifierAt(*placement.appPath);
    std::optional<std::string> hog = KnownHogs::match(placement.displayName, bundleID);
    return caches.metadata.emplace(placement.key, Metadata{std::move(bundleID), std::move(hog)})
        .first->second;
}

uint64_t saturatingSum(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

} // namespace

std::vector<AppGroup> fold(const std::vector<RawProcess> &processes,
                           platform::ApplicationResolver &resolver, Caches &caches) {
    std::vector<AppGroup> groups;
    std::unordered_map<std::string, std::size_t> indexByKey;
    std::vector<platform::ProcessIdentity> alive;
    alive.reserve(processes.size());

    std::vector<std::optional<platform::InstalledApplication>> applications =
        applicationsOf(processes, resolver);
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const RawProcess &process = processes[i];
        alive.push_back(process.identity());
        Placement placement = placementOf(process, std::move(applications[i]));
        const auto [slot, isNew] = indexByKey.try_emplace(placement.key, groups.size());
        if (!isNew) {
            AppGroup &group = groups[slot->second];
            group.current = saturatingSum(group.current, process.footprint);
            group.processes.push_back(process);
            group.isStopped = group.isStopped && process.isStopped();
            continue;
        }
        const Metadata &metadata = metadataFor(placement, resolver, caches);
        groups.push_back(AppGroup{std::move(placement.key),
                                  std::move(placement.displayName),
                                  std::move(placement.appPath),
                                  metadata.bundleID,
                                  process.footprint,
                                  0,
                                  {process},
                                  metadata.hog.has_value(),
                                  metadata.hog,
                                  process.isStopped()});
    }
    resolver.retainOnly(alive);

    for (AppGroup &group : groups) {
        uint64_t &peak = caches.peaks[group.key];
        peak = std::max(peak, group.current);
        group.peak = peak;
    }
    std::sort(groups.begin(), groups.end(), [](const AppGroup &a, const AppGroup &b) {
        if (a.current != b.current) return a.current > b.current;
        return a.key < b.key;
    });
    if (groups.size() > kGroupLimit) groups.resize(kGroupLimit);
    return groups;
}

} // namespace quorvel::AppGrouping
