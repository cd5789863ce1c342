#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Workspace/ApplicationInstances.h"
#include "Workspace/ApplicationQuitAction.h"
#include "Workspace/DesktopLauncher.h"
#include "Workspace/ListedProcess.h"
#include "Workspace/ProcessSignaller.h"
#include "Workspace/WindowChannels.h"
#include "Workspace/Workspace.h"

namespace quorvel::platform {

// The desktop as a Linux session shows it: windows and focus through the
// session's window channels (X11, or the Wayland compositor's own),
// applications through desktop entries, signals through the guarded
// signaller.
class LinuxWorkspace final : public Workspace {
public:
    // The current user's processes, as a sample would list them.
    using ProcessLister = std::function<std::vector<ListedProcess>()>;

    // `resolver` is used on the main thread; it may be shared with the
    // sampling thread only when it is safe to use from both.
    LinuxWorkspace(std::shared_ptr<ApplicationResolver> resolver, ProcessLister listProcesses,
                   ProcessSignaller::Inspector inspectProcess, WindowChannels windows,
                   ApplicationQuitAction quitAction,
                   std::unique_ptr<DesktopLauncher> launcher =
                       std::make_unique<DesktopLauncher>(std::make_unique<SystemdUserScope>()));

    bool sendSignal(const SampledProcess &process, ProcessSignal signal) override;
    std::optional<FrontmostApplication> frontmostApplication() override;
    // False on a Wayland session whose compositor Quorvel has no channel to.
    bool canSeeFrontmost() override;
    bool awaitsShellExtension() override;
    std::vector<RunningApplication> runningApplications(const std::string &bundleID) override;
    // The application's own quit action where it exports one, else a close
    // request to each of its windows; a termination signal only when it
    // shows none (or `unseen` allows it).
    QuitRequest requestQuit(const std::string &applicationID, const RunningApplication &instance,
                            UnseenWindows unseen) override;
    bool canSeeWindows() override;
    void openApplication(const std::string &path, OpenCompletion completion) override;

private:
    std::optional<std::string> applicationOf(const ListedProcess &process);
    // The running application a window's app id names, if any.
    std::optional<std::string> applicationNamed(const std::string &appId);
    ApplicationInstances currentInstances();
    void terminate(const std::vector<ListedProcess> &processes);

    std::shared_ptr<ApplicationResolver> resolver_;
    ProcessLister listProcesses_;
    ProcessSignaller::Inspector inspectProcess_;
    ProcessSignaller signaller_;
    WindowChannels windows_;
    ApplicationQuitAction quitAction_;
    std::unique_ptr<DesktopLauncher> launcher_;
};

} // namespace quorvel::platform
