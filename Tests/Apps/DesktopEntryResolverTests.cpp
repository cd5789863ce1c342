#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <map>
#include <string>

#include "../Process/ProbeChild.h"
#include "ApplicationsTree.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/ProcessCgroup.h"

namespace {

namespace fs = std::filesystem;
using quorvel::platform::DesktopEntryResolver;
using quorvel::platform::ProcessIdentity;
using quorvel::platform::readProcessCgroup;
using quorvel::platform::readProcessStartTime;

constexpr auto kPatience = std::chrono::milliseconds(20000); // only a broken build waits this long
constexpr char kUserApps[] = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";

ProcessIdentity identity(const ProbeChild &child) {
    return {child.pid(), readProcessStartTime(child.pid()).value_or(0)};
}

// The name of what `resolver` finds for `process`, or "(none)".
std::string nameFor(DesktopEntryResolver &resolver, ProcessIdentity process,
                    const std::string &executable) {
    const auto application = resolver.applicationFor(process, executable);
    return application ? application->name : "(none)";
}

TEST(ProcessCgroup, IsReadForTheVeryProcessOnly) {
    QTemporaryDir bin;
    ProbeChild child(ProbeChild::copyHelper(bin, "child"));
    ASSERT_TRUE(child.started());
    const ProcessIdentity alive = identity(child);
    ASSERT_NE(alive.startTime, 0u);
    const std::optional<std::string> cgroup = readProcessCgroup(alive);
    ASSERT_TRUE(cgroup.has_value());
    EXPECT_NE(cgroup->find("0::"), std::string::npos);
    EXPECT_EQ(readProcessCgroup({alive.pid, 0}), cgroup);
    // A pid held by a process that started at another time, or by none.
    const ProcessIdentity others[] = {{alive.pid, alive.startTime + 1}, {0, 0}, {-1, 0}};
    for (const ProcessIdentity &other : others)
        EXPECT_EQ(readProcessCgroup(other), std::nullopt) << other.pid;

    child.process().closeWriteChannel();
    ASSERT_TRUE(child.process().waitForFinished(10000));
    EXPECT_EQ(readProcessCgroup(alive), std::nullopt);
    EXPECT_EQ(readProcessStartTime(alive.pid), std::nullopt);
}

// Stands in for /proc/<pid>/cgroup: no test can make the desktop start a
// process in a unit of its choosing.
struct FakeCgroups {
    std::map<int32_t, std::string> texts;
    int reads = 0;

    DesktopEntryResolver::CgroupReader reader() {
        return [this](const ProcessIdentity &process) -> std::optional<std::string> {
            ++reads;
            const auto text = texts.find(process.pid);
            return text == texts.end() ? std::nullopt : std::optional(text->second);
        };
    }
};

TEST(DesktopEntryResolver, FallsBackToTheUnitTheDesktopLaunchedItInOncePerProcess) {
    ApplicationsTree tree;
    const std::string editor = fs::canonical(tree.program("bin/editor"));
    tree.write("share/editor.desktop", desktopEntry("Editor", editor));
    tree.write("share/org.example.Browser.desktop", desktopEntry("Browser", tree.program("bin/b")));
    tree.write("share/second.desktop", desktopEntry("Second", tree.program("bin/second")));
    const std::string browser = std::string(kUserApps) + "app-gnome-org.example.Browser-1.scope";
    FakeCgroups cgroups;
    cgroups.texts = {{1001, browser},
                     {1002, browser},
                     {1004, std::string(kUserApps) + "app-gnome-unknown-3.scope"}};
    DesktopEntryResolver resolver({tree.path("share")}, cgroups.reader());
    ASSERT_TRUE(resolver.waitForFirstIndex(kPatience));

    // The program an entry starts comes before the unit.
    EXPECT_EQ(nameFor(resolver, {1001, 7}, "/opt/browser/renderer"), "Browser");
    EXPECT_EQ(nameFor(resolver, {1002, 7}, editor), "Editor");
    EXPECT_EQ(nameFor(resolver, {1004, 7}, ""), "(none)");
    EXPECT_EQ(nameFor(resolver, {1005, 7}, "/usr/bin/gone"), "(none)");
    // A launcher that execs the program keeps its pid and start time.
    EXPECT_EQ(nameFor(resolver, {1005, 7}, editor), "Editor");

    // Worked out once per process; the same pid started later is another.
    const int reads = cgroups.reads;
    cgroups.texts[1001] = std::string(kUserApps) + "app-second-1.scope";
    EXPECT_EQ(nameFor(resolver, {1001, 7}, "/opt/browser/renderer"), "Browser");
    EXPECT_EQ(cgroups.reads, reads);
    EXPECT_EQ(nameFor(resolver, {1001, 8}, "/usr/lib/helper"), "Second");
    // Until it is forgotten.
    resolver.retainOnly({{1001, 8}});
    EXPECT_EQ(nameFor(resolver, {1001, 8}, "/usr/lib/helper"), "Second");
    EXPECT_EQ(cgroups.reads, reads + 1);
    EXPECT_EQ(nameFor(resolver, {1001, 7}, "/usr/lib/helper"), "Second");
    EXPECT_EQ(cgroups.reads, reads + 2);
}

TEST(DesktopEntryResolver, RebuildsWhenApplicationsChangeAndTriesNothingsAgain) {
    ApplicationsTree tree;
    fs::create_directories(tree.path("share"));
    FakeCgroups cgroups;
    DesktopEntryResolver resolver({tree.path("home"), tree.path("share")}, cgroups.reader());
    ASSERT_TRUE(resolver.waitForFirstIndex(kPatience));
    // Into a directory that was there, then one that was not when the resolver started.
    const std::pair<int32_t, std::string> arrivals[] = {{501, "share/late"}, {502, "home/later"}};
    for (const auto &[pid, name] : arrivals) {
        const std::string program = fs::canonical(tree.program("bin/" + name));
        EXPECT_EQ(nameFor(resolver, {pid, 1}, program), "(none)");
        const std::string file = tree.write(name + ".desktop", desktopEntry(name, program));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return nameFor(resolver, {pid, 1}, program) == name;
            },
            kPatience.count()));
        EXPECT_EQ(resolver.identifierAt(file), fs::path(name).filename().string());
    }
}

} // namespace
