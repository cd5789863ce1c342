#include "Workspace/LinuxWorkspace.h"

#include <csignal>
#include <cstdlib>
#include <string_view>

namespace quorvel::platform {

LinuxWorkspace::LinuxWorkspace(std::shared_ptr<ApplicationResolver> resolver,
                               ProcessLister listProcesses,
                               ProcessSignaller::Inspector inspectProcess,
                               std::unique_ptr<X11Desktop> desktop,
                               std::unique_ptr<DesktopLauncher> launcher)
    : resolver_(std::move(resolver))
    , listProcesses_(std::move(listProcesses))
    , inspectProcess_(std::move(inspectProcess))
    , signaller_(inspectProcess_)
    , desktop_(std::move(desktop))
    , launcher_(std::move(launcher)) {
    // Opening the panel activates our own window; what was in front before
    // must be known by then.
    desktop_->followActivation();
}

bool LinuxWorkspace::sendSignal(const SampledProcess &process, ProcessSignal signal) {
    return signaller_.send(process, ProcessSignaller::signalNumber(signal));
}

std::optional<FrontmostApplication> LinuxWorkspace::frontmostApplication() {
    const std::optional<int32_t> pid = desktop_->frontWindowPid();
    if (!pid) return std::nullopt;
    FrontmostApplication frontmost{std::nullopt, *pid};
    if (const std::optional<ListedProcess> process = inspectProcess_(*pid)) {
        frontmost.bundleID = applicationOf(*process);
    }
    return frontmost;
}

bool LinuxWorkspace::canSeeFrontmost() {
    const char *waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    const char *sessionType = std::getenv("XDG_SESSION_TYPE");
    const bool wayland = (waylandDisplay && *waylandDisplay) ||
                         (sessionType && std::string_view(sessionType) == "wayland");
    return !wayland;
}

std::vector<RunningApplication> LinuxWorkspace::runningApplications(const std::string &bundleID) {
    return currentInstances().of(bundleID);
}

void LinuxWorkspace::requestQuit(const RunningApplication &instance) {
    const std::vector<ListedProcess> processes = currentInstances().processesOf(instance);
    if (processes.empty()) return;
    std::vector<int32_t> pids;
    for (const ListedProcess &process : processes) pids.push_back(process.pid);
    const std::vector<uint32_t> windows = desktop_->windowsOfPids(pids);
    if (windows.empty()) {
        signaller_.send(processes.front().sampled(), SIGTERM);
        return;
    }
    for (uint32_t window : windows) desktop_->closeWindow(window);
}

void LinuxWorkspace::openApplication(const std::string &path, OpenCompletion completion) {
    launcher_->open(path, resolver_->identifierAt(path), std::move(completion));
}

std::optional<std::string> LinuxWorkspace::applicationOf(const ListedProcess &process) {
    std::optional<InstalledApplication> application =
        resolver_->applicationFor({process.pid, process.startTime}, process.path);
    if (!application || application->id.empty()) return std::nullopt;
    return std::move(application->id);
}

ApplicationInstances LinuxWorkspace::currentInstances() {
    std::vector<ListedProcess> processes = listProcesses_();
    std::vector<ProcessIdentity> alive;
    alive.reserve(processes.size());
    for (const ListedProcess &process : processes)
        alive.push_back({process.pid, process.startTime});
    ApplicationInstances instances(std::move(processes), [this](const ListedProcess &process) {
        return applicationOf(process);
    });
    // The resolver remembers every process it was asked about; keep that to
    // the living.
    resolver_->retainOnly(alive);
    return instances;
}

} // namespace quorvel::platform
