#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../Process/ProbeChild.h"
#include "../Workspace/ProcState.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/AppGrouping.h"
#include "Engine/ProcessGovernor.h"
#include "System/PerProcessMemory.h"
#include "System/WorkspaceProcesses.h"

// The governor on this machine's desktop, and an installed application made
// of the GovernedChild helper for it to act on.
namespace quorvel::testing {

inline constexpr char kEntryID[] = "org.quorvel.test.Governed";

inline bool allStopped(const std::vector<int32_t> &pids) {
    return std::ranges::all_of(pids, [](int32_t pid) { return processState(pid) == 'T'; });
}
inline bool noneStopped(const std::vector<int32_t> &pids) {
    return std::ranges::none_of(pids, [](int32_t pid) { return processState(pid) == 'T'; });
}

// A copy of the GovernedChild helper and a desktop entry, in a temporary
// directory, that starts it.
struct GovernedApplication {
    QTemporaryDir dir;
    std::string program = ProbeChild::copyHelper(
        dir, "bin/quorvel-governed", QStringLiteral(QUORVEL_HELPER_DIR "/GovernedChild"));
    std::string directory = QFile::encodeName(dir.filePath("applications")).toStdString();
    std::string entry = directory + "/" + kEntryID + ".desktop";

    GovernedApplication() {
        QDir().mkpath(dir.filePath("applications"));
        QFile file(QFile::decodeName(QByteArray::fromStdString(entry)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(
            "[Desktop Entry]\nType=Application\nName=Governed\nExec=" + program + " touch 16\n"));
    }
};

// The current processes among `pids` (or started by one of them), folded as
// a sample would fold them.
inline AppGroup sample(const GovernedApplication &application, const std::vector<int32_t> &pids) {
    std::vector<RawProcess> processes = PerProcessMemory::listProcesses(true);
    std::erase_if(processes, [&](const RawProcess &process) {
        return std::ranges::find(pids, process.pid) == pids.end() &&
               std::ranges::find(pids, process.ppid) == pids.end();
    });
    platform::InMemoryApplicationResolver resolver;
    resolver.addApplication(application.program, {application.entry, kEntryID, "Governed", ""});
    AppGrouping::Caches caches;
    const std::vector<AppGroup> groups = AppGrouping::fold(processes, resolver, caches);
    EXPECT_EQ(groups.size(), 1u);
    return groups.empty() ? AppGroup{} : groups.front();
}

// A governor on this machine's desktop.
struct LiveGovernor {
    explicit LiveGovernor(const GovernedApplication &application) {
        resolver = std::make_shared<platform::DesktopEntryResolver>(
            std::vector<std::string>{application.directory});
        workspace = WorkspaceProcesses::liveWorkspace(resolver);
        governor = std::make_unique<ProcessGovernor>(ProcessGovernor::liveDependencies(workspace));
    }
    bool indexed() const {
        return QTest::qWaitFor([&] { return resolver->indexBuilds() > 0; }, 10000);
    }

    std::shared_ptr<platform::DesktopEntryResolver> resolver;
    std::shared_ptr<platform::Workspace> workspace;
    std::unique_ptr<ProcessGovernor> governor;
};

} // namespace quorvel::testing
