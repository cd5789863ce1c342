#pragma once

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "Workspace/Workspace.h"

namespace quorvel::testing {

// A desktop that does what the test tells it and records every call. Like
// the real one it never signals pid 1 or below or this program, and it
// answers an open on a later turn of the event loop.
class ScriptedWorkspace final : public platform::Workspace {
public:
    struct SignalCall {
        platform::SampledProcess process;
        platform::ProcessSignal signal = platform::ProcessSignal::stop;
        bool delivered = false;

        bool operator==(const SignalCall &) const = default;
    };

    void setFrontmost(std::optional<platform::FrontmostApplication> frontmost) {
        frontmost_ = std::move(frontmost);
    }
    void setRunning(const std::string &bundleID,
                    std::vector<platform::RunningApplication> instances) {
        running_[bundleID] = std::move(instances);
    }
    // Whether an instance asked to quit leaves at once or stays running.
    void setQuitsWhenAsked(bool quits) { quitsWhenAsked_ = quits; }
    // Signals to these pids are not delivered.
    void setUndeliverable(std::set<int32_t> pids) { undeliverable_ = std::move(pids); }
    // What every later open completes with; success by default.
    void setOpenResult(std::optional<std::string> errorDescription) {
        openResult_ = std::move(errorDescription);
    }

    const std::vector<SignalCall> &signalCalls() const { return signalCalls_; }
    const std::vector<platform::RunningApplication> &quitRequests() const { return quitRequests_; }
    const std::vector<std::string> &openedPaths() const { return openedPaths_; }
    int runningLookups() const { return runningLookups_; }

    bool sendSignal(const platform::SampledProcess &process,
                    platform::ProcessSignal signal) override {
        const bool delivered =
            process.pid > 1 && process.pid != ::getpid() && !undeliverable_.contains(process.pid);
        signalCalls_.push_back({process, signal, delivered});
        return delivered;
    }
    std::optional<platform::FrontmostApplication> frontmostApplication() override {
        return frontmost_;
    }
    std::vector<platform::RunningApplication>
    runningApplications(const std::string &bundleID) override {
        ++runningLookups_;
        const auto found = running_.find(bundleID);
        return found == running_.end() ? std::vector<platform::RunningApplication>{}
                                       : found->second;
    }
    void requestQuit(const platform::RunningApplication &instance) override {
        quitRequests_.push_back(instance);
        if (!quitsWhenAsked_) return;
        for (auto &[bundleID, instances] : running_) std::erase(instances, instance);
    }
    void openApplication(const std::string &path, OpenCompletion completion) override {
        openedPaths_.push_back(path);
        QTimer::singleShot(0, &pendingOpens_,
                           [completion = std::move(completion), result = openResult_] {
                               if (completion) completion(result);
                           });
    }

private:
    std::optional<platform::FrontmostApplication> frontmost_;
    std::map<std::string, std::vector<platform::RunningApplication>> running_;
    bool quitsWhenAsked_ = true;
    std::set<int32_t> undeliverable_;
    std::optional<std::string> openResult_;

    std::vector<SignalCall> signalCalls_;
    std::vector<platform::RunningApplication> quitRequests_;
    std::vector<std::string> openedPaths_;
    int runningLookups_ = 0;
    QObject pendingOpens_;
};

} // namespace quorvel::testing
