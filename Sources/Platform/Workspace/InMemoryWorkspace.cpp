#include "Workspace/InMemoryWorkspace.h"

#include <QTimer>

#include <algorithm>
#include <unistd.h>

namespace quorvel::platform {

void InMemoryWorkspace::setFrontmost(std::optional<FrontmostApplication> frontmost) {
    frontmost_ = std::move(frontmost);
}

void InMemoryWorkspace::setCanSeeFrontmost(bool canSee) {
    canSeeFrontmost_ = canSee;
}

void InMemoryWorkspace::setCanSeeWindows(bool canSee) {
    canSeeWindows_ = canSee;
}

void InMemoryWorkspace::setRunning(const std::string &bundleID,
                                   std::vector<RunningApplication> instances) {
    running_[bundleID] = std::move(instances);
}

void InMemoryWorkspace::setQuitsWhenAsked(bool quits) {
    quitsWhenAsked_ = quits;
}

void InMemoryWorkspace::setUndeliverable(std::set<int32_t> pids) {
    undeliverable_ = std::move(pids);
}

void InMemoryWorkspace::setOpenResult(std::optional<std::string> errorDescription) {
    openResult_ = std::move(errorDescription);
}

bool InMemoryWorkspace::sendSignal(const SampledProcess &process, ProcessSignal signal) {
    const bool delivered =
        process.pid > 1 && process.pid != ::getpid() && !undeliverable_.contains(process.pid);
    signalCalls_.push_back({process, signal, delivered});
    return delivered;
}

std::optional<FrontmostApplication> InMemoryWorkspace::frontmostApplication() {
    return frontmost_;
}

bool InMemoryWorkspace::canSeeFrontmost() {
    return canSeeFrontmost_;
}

std::vector<RunningApplication>
InMemoryWorkspace::runningApplications(const std::string &bundleID) {
    ++runningLookups_;
    const auto found = running_.find(bundleID);
    return found == running_.end() ? std::vector<RunningApplication>{} : found->second;
}

bool InMemoryWorkspace::canSeeWindows() {
    return canSeeWindows_;
}

QuitRequest InMemoryWorkspace::requestQuit(const std::string &, const RunningApplication &instance,
                                           UnseenWindows unseen) {
    if (!canSeeWindows_ && unseen == UnseenWindows::leave) return QuitRequest::notSent;
    quitRequests_.push_back(instance);
    if (quitsWhenAsked_) {
        for (auto &[bundleID, instances] : running_) std::erase(instances, instance);
    }
    return canSeeWindows_ ? QuitRequest::asked : QuitRequest::terminated;
}

void InMemoryWorkspace::openApplication(const std::string &path, OpenCompletion completion) {
    openedPaths_.push_back(path);
    QTimer::singleShot(0, &pendingOpens_,
                       [completion = std::move(completion), result = openResult_] {
                           if (completion) completion(result);
                       });
}

} // namespace quorvel::platform
