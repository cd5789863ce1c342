#include "Engine/RunningAppsLister.h"

#include <algorithm>
#include <unordered_map>

#include "Apps/DesktopEntryResolver.h"
#include "System/UserProcessTable.h"
#include "Util/L10n.h"
#include "Workspace/ApplicationInstances.h"

namespace quorvel {
namespace {

std::optional<std::string> unlessEmpty(const std::string &text) {
    if (text.empty()) return std::nullopt;
    return text;
}

RunningApp runningApp(int32_t pid, const platform::InstalledApplication &application) {
    return {pid, application.name.empty() ? RunningAppsLister::kNoName : application.name,
            unlessEmpty(application.id), unlessEmpty(application.path)};
}

} // namespace

RunningAppsLister::RunningAppsLister(std::shared_ptr<platform::ApplicationResolver> resolver,
                                     ProcessLister listProcesses, const QLocale &collation)
    : resolver_(std::move(resolver))
    , listProcesses_(std::move(listProcesses))
    , collator_(collation) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

std::unique_ptr<RunningAppsLister> RunningAppsLister::live() {
    auto table = std::make_shared<UserProcessTable>();
    return std::make_unique<RunningAppsLister>(
        platform::DesktopEntryResolver::shared(), [table] { return table->list(); },
        QLocale(QString::fromStdString(L10n::shared().locale())));
}

std::vector<RunningApp> RunningAppsLister::list() {
    std::vector<platform::ListedProcess> processes = listProcesses_();
    std::vector<platform::ProcessIdentity> alive;
    alive.reserve(processes.size());
    std::unordered_map<int32_t, platform::InstalledApplication> applications;
    for (const platform::ListedProcess &process : processes) {
        alive.push_back({process.pid, process.startTime});
        if (auto application =
                resolver_->applicationFor({process.pid, process.startTime}, process.path)) {
            applications.emplace(process.pid, std::move(*application));
        }
    }
    // The resolver remembers every process it was asked about; keep that to
    // the living.
    resolver_->retainOnly(alive);

    // Instances are told apart by the entry's path, which every entry has.
    const platform::ApplicationInstances instances(
        std::move(processes),
        [&applications](const platform::ListedProcess &process) -> std::optional<std::string> {
            const auto found = applications.find(process.pid);
            if (found == applications.end()) return std::nullopt;
            return found->second.path;
        });
    std::vector<RunningApp> apps;
    for (const platform::RunningApplication &instance : instances.all()) {
        apps.push_back(runningApp(instance.pid, applications.at(instance.pid)));
    }
    sortByName(apps);
    return apps;
}

void RunningAppsLister::sortByName(std::vector<RunningApp> &apps) const {
    std::vector<std::pair<QCollatorSortKey, RunningApp>> keyed;
    keyed.reserve(apps.size());
    for (RunningApp &app : apps) {
        keyed.emplace_back(collator_.sortKey(QString::fromStdString(app.name)), std::move(app));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    for (std::size_t i = 0; i < apps.size(); ++i) apps[i] = std::move(keyed[i].second);
}

} // namespace quorvel
