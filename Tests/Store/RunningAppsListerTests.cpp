#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <filesystem>
#include <memory>

#include "Apps/ApplicationsTree.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/RunningAppsLister.h"
#include "System/UserProcessTable.h"

namespace quorvel {
void PrintTo(const RunningApp &app, std::ostream *out) {
    *out << app.id << " " << app.name << " " << app.bundleID.value_or("(none)") << " "
         << app.appPath.value_or("(none)");
}
} // namespace quorvel

namespace {

namespace fs = std::filesystem;
using quorvel::RunningApp;
using quorvel::RunningAppsLister;
using quorvel::UserProcessTable;
using quorvel::platform::InstalledApplication;
using quorvel::platform::ListedProcess;

constexpr int kPatience = 20000; // ms; only a broken build waits this long
const std::string kHelper = QUORVEL_HELPER_DIR "/DesktopAppHelper";

ListedProcess process(int32_t pid, int32_t ppid, const std::string &path) {
    return {pid, ppid, 1000, 77, fs::path(path).filename().string(), path};
}

std::vector<std::string> namesOf(const std::vector<RunningApp> &apps) {
    std::vector<std::string> names;
    for (const RunningApp &app : apps) names.push_back(app.name);
    return names;
}

TEST(RunningAppsListerTest, ListsOneEntryPerInstanceOfAnApplicationSortedByName) {
    auto resolver = std::make_shared<quorvel::platform::InMemoryApplicationResolver>();
    resolver->addApplication("/opt/zulu/zulu",
                             {"/apps/zulu.desktop", "org.example.Zulu", "Zulu", ""});
    resolver->addApplication("/opt/zoom/zoom", {"/apps/zoom.desktop", "zoom", "zoom", ""});
    resolver->addApplication("/opt/alpha/alpha", {"/apps/alpha.desktop", "", "Alpha", ""});
    resolver->addApplication("/opt/blank/blank", {"/apps/blank.desktop", "blank", "", ""});
    const std::vector<ListedProcess> listing{
        process(10, 1, "/opt/zulu/zulu"),
        process(11, 10, "/opt/zulu/zulu"), // a helper of the instance above
        process(12, 1, "/usr/bin/bash"),   // no application
        process(13, 12, "/opt/zulu/zulu"), // a second instance, started from a shell
        process(14, 1, "/opt/zoom/zoom"),
        process(15, 1, "/opt/alpha/alpha"),
        process(16, 1, "/opt/blank/blank"),
    };
    RunningAppsLister lister(
        resolver, [&] { return listing; }, QLocale(QLocale::English));

    const std::vector<RunningApp> apps = lister.list();

    // A mark sorts before letters.
    const std::vector<RunningApp> expected{
        {16, "\u2014", "blank", "/apps/blank.desktop"},
        {15, "Alpha", std::nullopt, "/apps/alpha.desktop"},
        {14, "zoom", "zoom", "/apps/zoom.desktop"},
        {10, "Zulu", "org.example.Zulu", "/apps/zulu.desktop"},
        {13, "Zulu", "org.example.Zulu", "/apps/zulu.desktop"},
    };
    EXPECT_EQ(apps, expected);
    // Only the living stay remembered by the resolver.
    EXPECT_EQ(resolver->rememberedCount(), listing.size());
}

TEST(RunningAppsListerTest, SortIgnoresCaseAndKeepsTheOrderOfEqualNames) {
    const RunningAppsLister lister({}, {}, QLocale(QLocale::English));
    std::vector<RunningApp> apps{{1, "Zulu", {}, {}},  {2, "beta", {}, {}}, {3, "zoom", {}, {}},
                                 {4, "Alpha", {}, {}}, {5, "Beta", {}, {}}, {6, "BETA", {}, {}}};
    lister.sortByName(apps);
    EXPECT_EQ(namesOf(apps),
              (std::vector<std::string>{"Alpha", "beta", "Beta", "BETA", "zoom", "Zulu"}));
}

// A running program that stays until the test ends.
class Child {
public:
    explicit Child(const std::string &program) {
        process_.start(QString::fromStdString(program), {});
        process_.waitForStarted();
    }
    ~Child() { stop(); }

    void stop() {
        process_.closeWriteChannel();
        process_.waitForFinished();
    }
    int32_t pid() const { return static_cast<int32_t>(process_.processId()); }

private:
    QProcess process_;
};

TEST(RunningAppsListerTest, ListsTheRealProgramsOfInstalledEntries) {
    ApplicationsTree tree;
    fs::create_directories(tree.path("bin"));
    const std::string notes = tree.path("bin/notes");
    const std::string atlas = tree.path("bin/atlas");
    for (const std::string &copy : {notes, atlas}) {
        fs::copy_file(kHelper, copy);
        fs::permissions(copy, fs::perms::owner_all);
    }
    const std::string notesFile =
        tree.write("share/applications/org.example.Notes.desktop", desktopEntry("Notes", notes));
    const std::string atlasFile =
        tree.write("share/applications/atlas.desktop", desktopEntry("atlas", atlas));
    auto resolver = std::make_shared<quorvel::platform::DesktopEntryResolver>(
        std::vector<std::string>{tree.applications("share")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return resolver->indexBuilds() >= 1; }, kPatience));
    auto table = std::make_shared<UserProcessTable>();
    RunningAppsLister lister(
        resolver, [table] { return table->list(); }, QLocale(QLocale::English));

    Child notesChild(notes);
    const Child atlasChild(atlas);
    EXPECT_EQ(lister.list(), (std::vector<RunningApp>{
                                 {atlasChild.pid(), "atlas", "atlas", atlasFile},
                                 {notesChild.pid(), "Notes", "org.example.Notes", notesFile}}));

    notesChild.stop();
    EXPECT_EQ(lister.list(),
              (std::vector<RunningApp>{{atlasChild.pid(), "atlas", "atlas", atlasFile}}));
}

} // namespace
