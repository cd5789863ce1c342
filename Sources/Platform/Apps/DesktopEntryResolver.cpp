#include "Apps/DesktopEntryResolver.h"

#include <unordered_set>
#include <utility>

#include "Apps/CgroupUnitName.h"
#include "Apps/DesktopEntryIndex.h"
#include "Apps/DesktopEntryIndexer.h"

namespace quorvel::platform {

DesktopEntryResolver::DesktopEntryResolver(std::vector<std::string> directories,
                                           CgroupReader readCgroup, ArgumentsReader readArguments)
    : readCgroup_(std::move(readCgroup))
    , readArguments_(std::move(readArguments))
    , indexer_(std::make_unique<DesktopEntryIndexer>(
          std::move(directories),
          [this](std::shared_ptr<const DesktopEntryIndex> index) { publish(std::move(index)); })) {
    indexer_->start(QThread::LowPriority);
}

DesktopEntryResolver::~DesktopEntryResolver() = default;

std::shared_ptr<DesktopEntryResolver> DesktopEntryResolver::shared() {
    static std::mutex mutex;
    static std::weak_ptr<DesktopEntryResolver> current;
    const std::lock_guard lock(mutex);
    std::shared_ptr<DesktopEntryResolver> resolver = current.lock();
    if (!resolver) {
        resolver = std::make_shared<DesktopEntryResolver>();
        current = resolver;
    }
    return resolver;
}

std::optional<InstalledApplication>
DesktopEntryResolver::applicationFor(const ProcessIdentity &process,
                                     const std::string &executablePath) {
    const Snapshot current = snapshot();
    const std::lock_guard lock(cacheMutex_);
    return processes_.get({process, executablePath}, current.builds,
                          [&]() -> std::optional<InstalledApplication> {
                              if (!current.index) return std::nullopt;
                              return resolve(*current.index, process, executablePath);
                          });
}

std::optional<std::string> DesktopEntryResolver::identifierAt(const std::string &path) {
    const Snapshot current = snapshot();
    const std::lock_guard lock(cacheMutex_);
    return identifiers_.get(path, current.builds, [&]() -> std::optional<std::string> {
        const InstalledApplication *application =
            current.index ? current.index->byFile(path) : nullptr;
        if (!application) return std::nullopt;
        return application->id;
    });
}

void DesktopEntryResolver::retainOnly(const std::vector<ProcessIdentity> &alive) {
    const std::unordered_set<ProcessIdentity, IdentityHash> keep(alive.begin(), alive.end());
    const std::lock_guard lock(cacheMutex_);
    processes_.keepOnly([&](const ProcessRun &run) { return keep.contains(run.identity); });
}

uint64_t DesktopEntryResolver::indexBuilds() const {
    return snapshot().builds;
}

bool DesktopEntryResolver::waitForFirstIndex(std::chrono::milliseconds limit) const {
    std::unique_lock lock(indexMutex_);
    return indexPublished_.wait_for(lock, limit, [this] { return current_.builds > 0; });
}

DesktopEntryResolver::Snapshot DesktopEntryResolver::snapshot() const {
    const std::lock_guard lock(indexMutex_);
    return current_;
}

void DesktopEntryResolver::publish(std::shared_ptr<const DesktopEntryIndex> index) {
    std::shared_ptr<const DesktopEntryIndex> previous; // freed outside the lock
    {
        const std::lock_guard lock(indexMutex_);
        previous = std::exchange(current_.index, std::move(index));
        ++current_.builds;
    }
    indexPublished_.notify_all();
}

std::optional<InstalledApplication>
DesktopEntryResolver::resolve(const DesktopEntryIndex &index, const ProcessIdentity &process,
                              const std::string &executablePath) const {
    if (const InstalledApplication *byProgram = index.byProgram(executablePath)) {
        return *byProgram;
    }
    if (!executablePath.empty()) {
        if (const InstalledApplication *byLayout =
                index.byLayout(executablePath, readArguments_(process))) {
            return *byLayout;
        }
    }
    const std::optional<std::string> cgroup = readCgroup_(process);
    if (!cgroup) return std::nullopt;
    for (const std::string &id : CgroupUnitName::applicationIdsOfCgroup(*cgroup)) {
        if (const InstalledApplication *byId = index.byId(id)) {
            InstalledApplication application = *byId;
            application.byLaunchUnit = true;
            return application;
        }
    }
    return std::nullopt;
}

} // namespace quorvel::platform
