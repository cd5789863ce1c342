#include "Workspace/ApplicationInstances.h"

#include <algorithm>
#include <unordered_set>

namespace quorvel::platform {

ApplicationInstances::ApplicationInstances(std::vector<ListedProcess> processes,
                                           const ApplicationOf &applicationOf)
    : processes_(std::move(processes)) {
    applications_.reserve(processes_.size());
    for (std::size_t i = 0; i < processes_.size(); ++i) {
        applications_.push_back(applicationOf(processes_[i]));
        indexByPid_.emplace(processes_[i].pid, i);
        childrenByPid_[processes_[i].ppid].push_back(i);
    }
}

std::optional<std::size_t> ApplicationInstances::indexOf(int32_t pid) const {
    const auto found = indexByPid_.find(pid);
    if (found == indexByPid_.end()) return std::nullopt;
    return found->second;
}

bool ApplicationInstances::parentIsInSameApplication(std::size_t index) const {
    const std::optional<std::size_t> parent = indexOf(processes_[index].ppid);
    return parent && *parent != index && applicationAt(*parent) == applicationAt(index);
}

bool ApplicationInstances::isInstance(std::size_t index) const {
    return applicationAt(index) && !parentIsInSameApplication(index);
}

std::vector<RunningApplication> ApplicationInstances::of(const std::string &applicationID) const {
    std::vector<RunningApplication> instances;
    for (std::size_t i = 0; i < processes_.size(); ++i) {
        if (applicationAt(i) != applicationID || !isInstance(i)) continue;
        instances.push_back({processes_[i].pid, processes_[i].startTime});
    }
    return instances;
}

std::vector<RunningApplication> ApplicationInstances::all() const {
    std::vector<RunningApplication> instances;
    for (std::size_t i = 0; i < processes_.size(); ++i) {
        if (isInstance(i)) instances.push_back({processes_[i].pid, processes_[i].startTime});
    }
    return instances;
}

std::vector<std::string> ApplicationInstances::applications() const {
    std::vector<std::string> running;
    for (const std::optional<std::string> &application : applications_) {
        if (application && std::ranges::find(running, *application) == running.end())
            running.push_back(*application);
    }
    return running;
}

std::vector<ListedProcess>
ApplicationInstances::processesOf(const RunningApplication &instance) const {
    const std::optional<std::size_t> root = indexOf(instance.pid);
    if (!root) return {};
    if (instance.startTime != 0 && processes_[*root].startTime != instance.startTime) return {};
    const std::optional<std::string> &application = applicationAt(*root);

    std::vector<ListedProcess> members{processes_[*root]};
    if (!application) return members;
    std::unordered_set<int32_t> seen{instance.pid};
    for (std::size_t next = 0; next < members.size(); ++next) {
        const auto children = childrenByPid_.find(members[next].pid);
        if (children == childrenByPid_.end()) continue;
        for (std::size_t child : children->second) {
            if (applicationAt(child) != application) continue;
            if (!seen.insert(processes_[child].pid).second) continue;
            members.push_back(processes_[child]);
        }
    }
    return members;
}

} // namespace quorvel::platform
