#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Workspace/ListedProcess.h"
#include "Workspace/Workspace.h"

namespace quorvel::platform {

// The running instances of applications in one listing of processes. An
// instance is a process of an application whose parent is not part of the
// same application; its processes are it and the descendants that belong to
// the application through an unbroken line of the application's processes.
// A process of no known application is an instance of nothing and alone.
class ApplicationInstances {
public:
    // The identifier of the application a process belongs to, if any.
    using ApplicationOf = std::function<std::optional<std::string>(const ListedProcess &)>;

    ApplicationInstances(std::vector<ListedProcess> processes, const ApplicationOf &applicationOf);

    // In the order of the listing.
    std::vector<RunningApplication> of(const std::string &applicationID) const;
    // Every instance of every known application, in the order of the listing.
    std::vector<RunningApplication> all() const;
    // The identifiers of the applications running, each once.
    std::vector<std::string> applications() const;

    // The instance's own process first, then its descendants in the
    // application; empty when the instance is not in the listing.
    std::vector<ListedProcess> processesOf(const RunningApplication &instance) const;

private:
    const std::optional<std::string> &applicationAt(std::size_t index) const {
        return applications_[index];
    }
    std::optional<std::size_t> indexOf(int32_t pid) const;
    bool parentIsInSameApplication(std::size_t index) const;
    bool isInstance(std::size_t index) const;

    std::vector<ListedProcess> processes_;
    std::vector<std::optional<std::string>> applications_; // by index into processes_
    std::unordered_map<int32_t, std::size_t> indexByPid_;
    std::unordered_map<int32_t, std::vector<std::size_t>> childrenByPid_; // in listing order
};

} // namespace quorvel::platform
