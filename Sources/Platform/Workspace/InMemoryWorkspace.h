#pragma once

#include <QObject>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "Workspace/Workspace.h"

namespace quorvel::platform {

// A scripted desktop for tests and the demo. It records every call, and
// like the real one it refuses to signal pid 1 or below or this program, and
// answers an open on a later turn of the event loop.
class InMemoryWorkspace final : public Workspace {
public:
    struct SignalCall {
        SampledProcess process;
        ProcessSignal signal = ProcessSignal::stop;
        bool delivered = false;

        bool operator==(const SignalCall &) const = default;
    };

    void setFrontmost(std::optional<FrontmostApplication> frontmost);
    // Whether the desktop shows what is in front (the default), or is one
    // that hides it, as a Wayland session does.
    void setCanSeeFrontmost(bool canSee);
    // Whether the desktop shows applications' windows (the default). Where
    // it does not, an instance is quit by a signal, if at all.
    void setCanSeeWindows(bool canSee);
    void setRunning(const std::string &bundleID, std::vector<RunningApplication> instances);
    // Whether an instance asked to quit leaves the running list at once
    // (the default) or stays, as an application that refuses would.
    void setQuitsWhenAsked(bool quits);
    // Signals to these pids are not delivered, as for a process that has
    // gone or is no longer the sampled one.
    void setUndeliverable(std::set<int32_t> pids);
    // What every later open completes with; success by default.
    void setOpenResult(std::optional<std::string> errorDescription);

    const std::vector<SignalCall> &signalCalls() const { return signalCalls_; }
    const std::vector<RunningApplication> &quitRequests() const { return quitRequests_; }
    const std::vector<std::string> &openedPaths() const { return openedPaths_; }
    int runningLookups() const { return runningLookups_; }

    bool sendSignal(const SampledProcess &process, ProcessSignal signal) override;
    std::optional<FrontmostApplication> frontmostApplication() override;
    bool canSeeFrontmost() override;
    bool awaitsShellExtension() override { return false; }
    std::vector<RunningApplication> runningApplications(const std::string &bundleID) override;
    QuitRequest requestQuit(const std::string &applicationID, const RunningApplication &instance,
                            UnseenWindows unseen) override;
    bool canSeeWindows() override;
    void openApplication(const std::string &path, OpenCompletion completion) override;

private:
    std::optional<FrontmostApplication> frontmost_;
    bool canSeeFrontmost_ = true;
    bool canSeeWindows_ = true;
    std::map<std::string, std::vector<RunningApplication>> running_;
    bool quitsWhenAsked_ = true;
    std::set<int32_t> undeliverable_;
    std::optional<std::string> openResult_;

    std::vector<SignalCall> signalCalls_;
    std::vector<RunningApplication> quitRequests_;
    std::vector<std::string> openedPaths_;
    int runningLookups_ = 0;
    QObject pendingOpens_; // completions die with the workspace
};

} // namespace quorvel::platform
