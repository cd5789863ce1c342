#include "System/WorkspaceProcesses.h"

#include "System/PerProcessMemory.h"
#include "Workspace/SessionChoice.h"
#include "procmem.h"

namespace quorvel::WorkspaceProcesses {

platform::ListedProcess listed(const RawProcess &process) {
    return {process.pid, process.ppid, process.uid, process.startTime, process.name, process.path};
}

std::vector<platform::ListedProcess> currentUsersProcesses() {
    std::vector<platform::ListedProcess> processes;
    for (const RawProcess &process : PerProcessMemory::listProcesses(true)) {
        processes.push_back(listed(process));
    }
    return processes;
}

std::optional<platform::ListedProcess> inspect(int32_t pid) {
    qv_proc_record record{};
    if (qv_proc_info(pid, &record) != 0) return std::nullopt;
    const std::optional<RawProcess> process =
        PerProcessMemory::admit(record, false, PerProcessMemory::ownUID());
    if (!process) return std::nullopt;
    return listed(*process);
}

std::unique_ptr<platform::LinuxWorkspace>
liveWorkspace(std::shared_ptr<platform::ApplicationResolver> resolver) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return std::make_unique<platform::LinuxWorkspace>(
        std::move(resolver), currentUsersProcesses, inspect,
        platform::windowChannelsFor(platform::SessionEnvironment::current(), bus),
        platform::ApplicationQuitAction(bus));
}

} // namespace quorvel::WorkspaceProcesses
