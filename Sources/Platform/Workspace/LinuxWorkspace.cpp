#include "Workspace/LinuxWorkspace.h"

#include "Apps/LaunchWrappers.h"

#include <csignal>
#include <string_view>
#include <unordered_map>

#include "Apps/ProcessFamilies.h"

namespace quorvel::platform {

LinuxWorkspace::LinuxWorkspace(std::shared_ptr<ApplicationResolver> resolver,
                               ProcessLister listProcesses,
                               ProcessSignaller::Inspector inspectProcess, WindowChannels windows,
                               ApplicationQuitAction quitAction,
                               std::unique_ptr<DesktopLauncher> launcher)
    : resolver_(std::move(resolver))
    , listProcesses_(std::move(listProcesses))
    , inspectProcess_(std::move(inspectProcess))
    , signaller_(inspectProcess_)
    , windows_(std::move(windows))
    , quitAction_(std::move(quitAction))
    , launcher_(std::move(launcher)) {
    // Opening the panel activates our own window; what was in front before
    // must be known by then.
    if (windows_.front) windows_.front->followActivation();
}

bool LinuxWorkspace::sendSignal(const SampledProcess &process, ProcessSignal signal) {
    return signaller_.send(process, ProcessSignaller::signalNumber(signal));
}

std::optional<FrontmostApplication> LinuxWorkspace::frontmostApplication() {
    if (!windows_.front) return std::nullopt;
    const std::optional<WindowOwner> owner = windows_.front->frontWindow();
    if (!owner) return std::nullopt;
    FrontmostApplication frontmost{std::nullopt, owner->pid.value_or(0)};
    if (owner->pid) {
        if (const std::optional<ListedProcess> process = inspectProcess_(*owner->pid))
            frontmost.bundleID = applicationOf(*process);
    } else if (owner->applicationID) {
        frontmost.bundleID = applicationNamed(*owner->applicationID);
    }
    return frontmost;
}

bool LinuxWorkspace::canSeeFrontmost() {
    if (windows_.x11Session) return true;
    if (!windows_.front || !windows_.front->isAvailable()) return false;
    if (windows_.front->knowsProcesses()) return true;
    // A window known by an app id that names no running application could
    // be any of them.
    const std::optional<WindowOwner> owner = windows_.front->frontWindow();
    return !owner || !owner->applicationID || applicationNamed(*owner->applicationID);
}

bool LinuxWorkspace::awaitsShellExtension() {
    return windows_.frontNeedsShellExtension && !canSeeFrontmost();
}

bool LinuxWorkspace::canSeeWindows() {
    return windows_.x11Session ||
           (windows_.front && windows_.front->isAvailable() && windows_.front->knowsProcesses());
}

std::optional<std::string> LinuxWorkspace::applicationNamed(const std::string &appId) {
    for (std::string &application : currentInstances().applications()) {
        if (namesApplication(appId, application)) return std::move(application);
    }
    return std::nullopt;
}

std::vector<RunningApplication> LinuxWorkspace::runningApplications(const std::string &bundleID) {
    return currentInstances().of(bundleID);
}

QuitRequest LinuxWorkspace::requestQuit(const std::string &applicationID,
                                        const RunningApplication &instance, UnseenWindows unseen) {
    const std::vector<ListedProcess> processes = currentInstances().processesOf(instance);
    // Gone already: there is nothing left to ask.
    if (processes.empty()) return QuitRequest::asked;
    InstanceWindows windows{{}, applicationID};
    for (const ListedProcess &process : processes) windows.pids.push_back(process.pid);

    if (quitAction_.activate(windows.pids)) return QuitRequest::asked;
    for (SessionWindows *channel : {windows_.front.get(), windows_.more.get()}) {
        if (channel && channel->isAvailable() && channel->closeWindows(windows) > 0)
            return QuitRequest::asked;
    }
    if (!canSeeWindows() && unseen == UnseenWindows::leave) return QuitRequest::notSent;
    terminate(processes);
    return QuitRequest::terminated;
}

void LinuxWorkspace::terminate(const std::vector<ListedProcess> &processes) {
    const ListedProcess &first = processes.front();
    signaller_.send(first.sampled(), SIGTERM);
    // A launcher script that did not exec passes no signal on: the
    // application it started must get its own.
    const std::string_view program =
        std::string_view(first.path).substr(first.path.find_last_of('/') + 1);
    if (programKind(program) != ProgramKind::shell) return;
    for (const ListedProcess &process : processes) {
        if (process.ppid == first.pid) signaller_.send(process.sampled(), SIGTERM);
    }
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
    // Settled within families, as a sample settles them.
    std::vector<FamilyMember> members;
    members.reserve(processes.size());
    for (const ListedProcess &process : processes) {
        members.push_back(
            {process.pid, process.ppid, process.path.substr(process.path.find_last_of('/') + 1),
             resolver_->applicationFor({process.pid, process.startTime}, process.path)});
    }
    std::unordered_map<int32_t, std::string> applicationByPid;
    const std::vector<std::optional<InstalledApplication>> settled = settleFamilies(members);
    for (size_t i = 0; i < settled.size(); ++i) {
        if (settled[i] && !settled[i]->id.empty())
            applicationByPid[members[i].pid] = settled[i]->id;
    }
    ApplicationInstances instances(
        std::move(processes),
        [&applicationByPid](const ListedProcess &process) -> std::optional<std::string> {
            const auto found = applicationByPid.find(process.pid);
            if (found == applicationByPid.end()) return std::nullopt;
            return found->second;
        });
    // The resolver remembers every process it was asked about; keep that to
    // the living.
    resolver_->retainOnly(alive);
    return instances;
}

} // namespace quorvel::platform
