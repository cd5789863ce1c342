#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ApplicationsTree.h"
#include "Apps/ApplicationTree.h"
#include "Apps/DesktopEntryIndex.h"
#include "Apps/DesktopEntryResolver.h"
#include "Support/IsolatedRun.h"
#include "Support/QuorvelRun.h"

namespace {

namespace fs = std::filesystem;
using namespace quorvel::platform;
using namespace std::string_literals;

std::size_t inotifyWatches() {
    std::size_t watches = 0;
    for (const fs::directory_entry &fd : fs::directory_iterator("/proc/self/fdinfo")) {
        std::ifstream info(fd.path());
        for (std::string line; std::getline(info, line);)
            watches += line.starts_with("inotify wd:");
    }
    return watches;
}

// Neither a link out of the data directory nor a huge tree is walked or watched whole.
TEST(ApplicationTree, IndexReadsAndWatchesOnlyABoundedTreeInsideEachDataDirectory) {
    const ApplicationsTree tree;
    tree.write("elsewhere/outside.desktop", desktopEntry("Outside", "sh"));
    tree.write("in/real/inside.desktop", desktopEntry("Inside", "sh"));
    fs::create_directories(tree.path("out"));
    fs::create_directory_symlink(tree.path("elsewhere"), tree.applications("out"));
    fs::create_directory_symlink("real", tree.applications("in"));
    for (std::size_t i = 0; i < 2 * kApplicationTreeDirectories; ++i)
        fs::create_directories(tree.path("in/real/" + std::to_string(i)));
    std::string level = "deep/applications", prefix;
    for (int depth = 0; depth <= kApplicationTreeDepth; ++depth, prefix += "d-")
        tree.write((level += "/d") + "/x.desktop", desktopEntry("Deep", "sh"));
    const std::vector<std::string> directories{tree.applications("out"), tree.applications("in"),
                                               tree.applications("deep")};
    const std::size_t before = inotifyWatches();
    const DesktopEntryResolver resolver(directories);
    ASSERT_TRUE(resolver.waitForFirstIndex(std::chrono::seconds(60)));
    EXPECT_LT(inotifyWatches() - before, 2 * kApplicationTreeDirectories);
    const DesktopEntryIndex index(directories);
    for (const auto &id : {"outside"s, prefix + "x"}) EXPECT_EQ(index.byId(id), nullptr) << id;
    for (const auto &id : {"inside"s, prefix.substr(2) + "x"}) EXPECT_NE(index.byId(id), nullptr);
}

TEST(ApplicationTree, ReadoutsFinishWithApplicationsLinkedToTheRoot) {
    const ApplicationsTree tree;
    tree.write("home/applications/sh.desktop", desktopEntry("Shell", "sh"));
    fs::create_directories(tree.path("root"));
    fs::create_directory_symlink("/", tree.applications("root"));
    const quorvel::test::IsolatedRun run;
    QProcessEnvironment environment = run.environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(tree.path("home")));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(tree.path("root")));
    for (const char *option : {"--json", "--print"})
        EXPECT_EQ(quorvel::test::runQuorvel({option}, environment).exitCode, 0) << option;
}

} // namespace
