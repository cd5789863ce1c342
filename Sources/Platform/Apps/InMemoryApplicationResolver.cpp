#include "Apps/InMemoryApplicationResolver.h"

#include <set>

namespace quorvel::platform {

void InMemoryApplicationResolver::addApplication(const std::string &executablePath,
                                                 const InstalledApplication &application) {
    byExecutable_[executablePath] = application;
    if (!application.id.empty()) identifiers_[application.path] = application.id;
}

void InMemoryApplicationResolver::setIdentifier(const std::string &path,
                                                const std::string &identifier) {
    identifiers_[path] = identifier;
}

std::optional<InstalledApplication>
InMemoryApplicationResolver::applicationFor(const ProcessIdentity &process,
                                            const std::string &executablePath) {
    const Key key{process.pid, process.startTime};
    if (auto known = resolved_.find(key); known != resolved_.end()) return known->second;
    std::optional<InstalledApplication> application;
    if (auto found = byExecutable_.find(executablePath); found != byExecutable_.end()) {
        application = found->second;
    }
    resolved_.emplace(key, application);
    return application;
}

std::optional<std::string> InMemoryApplicationResolver::identifierAt(const std::string &path) {
    auto found = identifiers_.find(path);
    if (found == identifiers_.end()) return std::nullopt;
    return found->second;
}

void InMemoryApplicationResolver::retainOnly(const std::vector<ProcessIdentity> &alive) {
    std::set<Key> keep;
    for (const ProcessIdentity &process : alive) keep.emplace(process.pid, process.startTime);
    std::erase_if(resolved_, [&](const auto &entry) { return !keep.contains(entry.first); });
}

} // namespace quorvel::platform
