#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <iomanip>
#include <iostream>
#include <memory>

#include "Apps/ApplicationDirectories.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/AppGrouping.h"
#include "Engine/SamplingEngine.h"
#include "ProbeChild.h"
#include "System/PerProcessMemory.h"

namespace quorvel {
namespace {

// The live listing cut down to the given children, so that whatever else runs
// on the machine cannot push their groups out of the forty.
std::vector<RawProcess> liveProcessesOf(std::initializer_list<const ProbeChild *> children) {
    std::vector<RawProcess> processes = PerProcessMemory::listProcesses(true);
    std::erase_if(processes, [&](const RawProcess &process) {
        return std::none_of(children.begin(), children.end(),
                            [&](const ProbeChild *child) { return child->pid() == process.pid; });
    });
    return processes;
}

struct LiveFold {
    platform::InMemoryApplicationResolver resolver;
    AppGrouping::Caches caches;

    std::vector<AppGroup> operator()(std::initializer_list<const ProbeChild *> children) {
        return AppGrouping::fold(liveProcessesOf(children), resolver, caches);
    }
};

TEST(ProcessGrouping, ChildrenWithOneNameFormOneGroupWhateverTheirPaths) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProbeChild first(ProbeChild::copyHelper(dir, "usr/libexec/quorvel-probe-twin"));
    ProbeChild second(ProbeChild::copyHelper(dir, "opt/quorvel-probe-twin"));
    ASSERT_TRUE(first.started() && second.started());

    LiveFold fold;
    const auto groups = fold({&first, &second});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].key, "proc:quorvel-probe-twin");
    EXPECT_EQ(groups[0].displayName, "quorvel-probe-twin");
    auto pids = groups[0].pids();
    std::sort(pids.begin(), pids.end());
    std::vector<int32_t> expected{first.pid(), second.pid()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(pids, expected);
    EXPECT_EQ(groups[0].current,
              groups[0].processes[0].footprint + groups[0].processes[1].footprint);
}

TEST(ProcessGrouping, AGroupIsStoppedOnceEveryChildIsStopped) {
    ProbeChild first(ProbeChild::helperPath().toStdString());
    ProbeChild second(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(first.started() && second.started());
    LiveFold fold;
    auto groupStopped = [&] {
        const auto groups = fold({&first, &second});
        return groups.size() == 1 && groups[0].processes.size() == 2 && groups[0].isStopped;
    };
    ASSERT_EQ(::kill(first.pid(), SIGSTOP), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto processes = liveProcessesOf({&first});
            return processes.size() == 1 && processes[0].status == 4;
        },
        10000));
    EXPECT_FALSE(groupStopped()) << "one running child keeps the group running";
    ASSERT_EQ(::kill(second.pid(), SIGSTOP), 0);
    EXPECT_TRUE(QTest::qWaitFor(groupStopped, 10000));
}

TEST(ProcessGrouping, ChildrenJoinTheirBundleOrTheApplicationTheResolverNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    ProbeChild helper(ProbeChild::copyHelper(
        dir, "Probe.app/Contents/Frameworks/Probe Helper.app/Contents/MacOS/Probe Helper"));
    const std::string tool = ProbeChild::copyHelper(dir, "bin/probe-tool");
    ProbeChild installed(tool);
    ASSERT_TRUE(helper.started() && installed.started());

    LiveFold fold;
    fold.resolver.setIdentifier(root + "/Probe.app", "org.example.Probe");
    const platform::InstalledApplication application{
        root + "/share/applications/org.example.ProbeTool.desktop", "org.example.ProbeTool",
        "Probe Tool", ""};
    fold.resolver.addApplication(tool, application);

    const auto groups = fold({&helper, &installed});
    ASSERT_EQ(groups.size(), 2u);
    const auto bundle = std::find_if(groups.begin(), groups.end(), [&](const AppGroup &group) {
        return group.key == root + "/Probe.app";
    });
    ASSERT_NE(bundle, groups.end());
    EXPECT_EQ(bundle->displayName, "Probe");
    EXPECT_EQ(bundle->bundleID, "org.example.Probe");
    EXPECT_EQ(bundle->pids(), std::vector<int32_t>{helper.pid()});

    const auto entry = std::find_if(groups.begin(), groups.end(), [&](const AppGroup &group) {
        return group.key == application.path;
    });
    ASSERT_NE(entry, groups.end());
    EXPECT_EQ(entry->displayName, "Probe Tool");
    EXPECT_EQ(entry->bundleID, "org.example.ProbeTool");
    EXPECT_EQ(entry->appPath, application.path);
    EXPECT_EQ(entry->pids(), std::vector<int32_t>{installed.pid()});
}

// The live engine on this machine; prints what it sees for a developer to read.
// The live engine with the desktop resolver: a child started from a program
// that a desktop entry names is grouped under that entry, and the rest of the
// machine is listed for a developer to read.
TEST(ProcessGrouping, TheLiveEngineGroupsThisMachine) {
    QTemporaryDir dir;
    const std::string program = ProbeChild::copyHelper(dir, "bin/quorvel-probe-app");
    const std::string entry =
        QFile::encodeName(dir.path()).toStdString() + "/applications/org.example.ProbeApp.desktop";
    QDir().mkpath(dir.filePath("applications"));
    {
        QFile file(QFile::decodeName(QByteArray::fromStdString(entry)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString("[Desktop Entry]\nType=Application\nName=Probe App\n"
                                             "Exec=" +
                                             program + " touch 64\n"));
    }
    ProbeChild child(program, {"touch", "64"});
    ASSERT_TRUE(child.started());

    std::vector<std::string> directories{
        QFile::encodeName(dir.filePath("applications")).toStdString()};
    for (const std::string &installed :
         platform::applicationDirectories(platform::currentXdgEnvironment()))
        directories.push_back(installed);
    auto resolver = std::make_shared<platform::DesktopEntryResolver>(directories);
    ASSERT_TRUE(QTest::qWaitFor([&] { return resolver->indexBuilds() > 0; }, 10000));

    SamplingEngine engine(SamplingEngine::liveDependencies(resolver));
    std::vector<AppGroup> groups;
    engine.setOnUpdate([&](const std::vector<AppGroup> &delivered) { groups = delivered; });
    engine.start(3600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !groups.empty(); }, 10000));

    EXPECT_LE(groups.size(), AppGrouping::kGroupLimit);
    EXPECT_TRUE(std::is_sorted(groups.begin(), groups.end(),
                               [](const auto &a, const auto &b) { return a.current > b.current; }));
    for (const AppGroup &group : groups) {
        EXPECT_FALSE(group.processes.empty());
        EXPECT_GE(group.peak, group.current);
        for (const RawProcess &process : group.processes)
            EXPECT_EQ(process.uid, PerProcessMemory::ownUID());
    }
    const auto probeApp = std::find_if(groups.begin(), groups.end(),
                                       [&](const AppGroup &group) { return group.key == entry; });
    ASSERT_NE(probeApp, groups.end()) << "a 64 MiB child is among the forty largest";
    EXPECT_EQ(probeApp->displayName, "Probe App");
    EXPECT_EQ(probeApp->appPath, entry);
    EXPECT_EQ(probeApp->bundleID, "org.example.ProbeApp");
    EXPECT_EQ(probeApp->pids(), std::vector<int32_t>{child.pid()});

    std::cout << "Live groups of this machine:\n";
    for (const AppGroup &group : groups) {
        std::cout << "  " << std::setw(10) << group.current / 1024 << " KiB  " << std::setw(3)
                  << group.processes.size() << " proc  " << group.displayName << "  [" << group.key
                  << "]" << (group.hogLabel ? "  hog: " + *group.hogLabel : "")
                  << (group.isStopped ? "  stopped" : "") << "\n";
    }
}

} // namespace
} // namespace quorvel
