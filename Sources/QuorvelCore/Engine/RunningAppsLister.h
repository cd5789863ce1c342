#pragma once

#include <QCollator>
#include <QLocale>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Workspace/ListedProcess.h"

namespace quorvel {

// One running desktop application: the top process of one instance.
struct RunningApp {
    int32_t id = 0;                      // the instance's process id
    std::string name;                    // the entry's name in the run's language, or "—"
    std::optional<std::string> bundleID; // the desktop file ID
    std::optional<std::string> appPath;  // the desktop entry's path

    bool operator==(const RunningApp &) const = default;
};

// The current user's running desktop applications: processes whose program
// resolves to a desktop entry, one entry per instance, sorted by name. Runs
// on the main thread every few seconds, so it leans on the caches of its
// resolver and its process listing.
class RunningAppsLister {
public:
    using ProcessLister = std::function<std::vector<platform::ListedProcess>()>;

    static constexpr char kNoName[] = "\u2014";

    // `resolver` must be used by this lister alone (it is not thread-safe).
    RunningAppsLister(std::shared_ptr<platform::ApplicationResolver> resolver,
                      ProcessLister listProcesses, const QLocale &collation = QLocale());

    // On this session's processes and installed entries, sorted in the run's
    // language.
    static std::unique_ptr<RunningAppsLister> live();

    std::vector<RunningApp> list();

    // By name, ignoring case, in the collation's order; equal names keep
    // their order.
    void sortByName(std::vector<RunningApp> &apps) const;

private:
    std::shared_ptr<platform::ApplicationResolver> resolver_;
    ProcessLister listProcesses_;
    QCollator collator_;
};

} // namespace quorvel
