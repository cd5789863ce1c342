#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Workspace/ApplicationInstances.h"
#include "Workspace/DesktopLauncher.h"
#include "Workspace/ListedProcess.h"
#include "Workspace/ProcessSignaller.h"
#include "Workspace/Workspace.h"
#include "Workspace/X11Desktop.h"

namespace quorvel::platform {

// The desktop as a Linux session shows it: windows and focus through X11
// (also XWayland), applications through desktop entries, signals through
// the guarded signaller. On a Wayland session a native window's focus is
// not visible, so what is in front is unknown there.
class LinuxWorkspace final : public Workspace {
public:
    // The current user's processes, as a sample would list them.
    using ProcessLister = std::function<std::vector<ListedProcess>()>;

    // `resolver` is used on the main thread, so it must not be the one the
    // sampling thread uses.
    LinuxWorkspace(std::shared_ptr<ApplicationResolver> resolver, ProcessLister listProcesses,
                   ProcessSignaller::Inspector inspectProcess,
                   std::unique_ptr<X11Desktop> desktop = std::make_unique<X11Desktop>(),
                   std::unique_ptr<DesktopLauncher> launcher =
                       std::make_unique<DesktopLauncher>(std::make_unique<SystemdUserScope>()));

    bool sendSignal(const SampledProcess &process, ProcessSignal signal) override;
    std::optional<FrontmostApplication> frontmostApplication() override;
    // False on a Wayland session: X11 sees only its XWayland windows.
    bool canSeeFrontmost() override;
    std::vector<RunningApplication> runningApplications(const std::string &bundleID) override;
    // Closes every window of the instance's processes as the window
    // manager's close button would; SIGTERM only when it shows none.
    void requestQuit(const RunningApplication &instance) override;
    void openApplication(const std::string &path, OpenCompletion completion) override;

private:
    std::optional<std::string> applicationOf(const ListedProcess &process);
    ApplicationInstances currentInstances();

    std::shared_ptr<ApplicationResolver> resolver_;
    ProcessLister listProcesses_;
    ProcessSignaller::Inspector inspectProcess_;
    ProcessSignaller signaller_;
    std::unique_ptr<X11Desktop> desktop_;
    std::unique_ptr<DesktopLauncher> launcher_;
};

} // namespace quorvel::platform
