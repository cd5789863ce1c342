#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Apps/ApplicationDirectories.h"
#include "Apps/ApplicationResolver.h"
#include "Apps/ProcessCgroup.h"
#include "Apps/ResolutionCache.h"

namespace quorvel::platform {

class DesktopEntryIndex;
class DesktopEntryIndexer;

// Linux: the installed desktop entry a process belongs to. First the entry
// that starts the process's executable, so that a program run from a
// terminal is itself and not the terminal; then the entry whose program
// folder, name or script the process shares (wrapper scripts, helpers,
// interpreted programs); else the entry its desktop launched it as, named by
// its systemd unit.
//
// The index of entries is built on a thread of its own from construction
// on, so that neither the caller nor the sampling thread waits on hundreds
// of files. Until the first build is done every process resolves to
// nothing; any "nothing" is worked out again once a newer build is there.
// Safe to use from several threads at once.
class DesktopEntryResolver final : public ApplicationResolver {
public:
    using CgroupReader = std::function<std::optional<std::string>(const ProcessIdentity &)>;
    using ArgumentsReader = std::function<std::vector<std::string>(const ProcessIdentity &)>;

    explicit DesktopEntryResolver(
        std::vector<std::string> directories = applicationDirectories(currentXdgEnvironment()),
        CgroupReader readCgroup = readProcessCgroup,
        ArgumentsReader readArguments = readProcessArguments);
    // The one resolver of the program's own applications directories, so
    // that every part of it sees processes alike and one index is built.
    // Lives while anyone holds it.
    static std::shared_ptr<DesktopEntryResolver> shared();
    ~DesktopEntryResolver() override;

    std::optional<InstalledApplication> applicationFor(const ProcessIdentity &process,
                                                       const std::string &executablePath) override;
    std::optional<std::string> identifierAt(const std::string &path) override;
    void retainOnly(const std::vector<ProcessIdentity> &alive) override;

    // How many index builds have finished; any thread may ask.
    uint64_t indexBuilds() const;
    // Blocks until the first build is done or `limit` has passed; true when
    // there is an index. For one-shot readers that have no later sample.
    bool waitForFirstIndex(std::chrono::milliseconds limit) const;

private:
    struct IdentityHash {
        size_t operator()(const ProcessIdentity &process) const {
            return std::hash<uint64_t>()(process.startTime * 31 +
                                         static_cast<uint32_t>(process.pid));
        }
    };
    // A process as it runs one program: exec keeps the pid and start time but
    // may change the program (a launcher that execs the application), and
    // the new program needs an answer of its own.
    struct ProcessRun {
        ProcessIdentity identity;
        std::string executablePath;

        bool operator==(const ProcessRun &) const = default;
    };
    struct RunHash {
        size_t operator()(const ProcessRun &run) const {
            return IdentityHash()(run.identity) ^ std::hash<std::string>()(run.executablePath);
        }
    };
    struct Snapshot {
        std::shared_ptr<const DesktopEntryIndex> index;
        uint64_t builds = 0;
    };

    Snapshot snapshot() const;
    void publish(std::shared_ptr<const DesktopEntryIndex> index);
    std::optional<InstalledApplication> resolve(const DesktopEntryIndex &index,
                                                const ProcessIdentity &process,
                                                const std::string &executablePath) const;

    CgroupReader readCgroup_;
    ArgumentsReader readArguments_;
    std::mutex cacheMutex_;         // guards the two caches: callers may be on several threads
    mutable std::mutex indexMutex_; // guards current_: the indexer thread replaces it
    mutable std::condition_variable indexPublished_;
    Snapshot current_;
    ResolutionCache<ProcessRun, InstalledApplication, RunHash> processes_;
    ResolutionCache<std::string, std::string> identifiers_;
    std::unique_ptr<DesktopEntryIndexer> indexer_; // last, so it stops before the rest goes
};

} // namespace quorvel::platform
