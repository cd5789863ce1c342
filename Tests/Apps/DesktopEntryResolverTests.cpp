#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <filesystem>
#include <map>
#include <string>

#include "ApplicationsTree.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/ProcessCgroup.h"

namespace {

namespace fs = std::filesystem;
using quorvel::platform::DesktopEntryResolver;
using quorvel::platform::InstalledApplication;
using quorvel::platform::ProcessIdentity;

constexpr int kPatience = 20000; // ms; only a broken build waits this long
constexpr char kUserApps[] = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";
const std::string kHelper = QUORVEL_HELPER_DIR "/DesktopAppHelper";

std::string canonical(const std::string &path) {
    return fs::canonical(path).string();
}

// A running program that stays until the test ends.
class Child {
public:
    explicit Child(const std::string &program) {
        process_.start(QString::fromStdString(program), {});
        process_.waitForStarted();
    }
    ~Child() {
        process_.closeWriteChannel();
        process_.waitForFinished();
    }

    int32_t pid() const { return static_cast<int32_t>(process_.processId()); }
    ProcessIdentity identity() const {
        return {pid(), quorvel::platform::readProcessStartTime(pid()).value_or(0)};
    }
    std::string executable() const {
        return fs::read_symlink("/proc/" + std::to_string(pid()) + "/exe").string();
    }

private:
    QProcess process_;
};

// Stands in for /proc/<pid>/cgroup where the real one is out of reach: no
// test can make the desktop start a process in a unit of its choosing.
struct FakeCgroups {
    std::map<int32_t, std::string> texts;
    int reads = 0;

    DesktopEntryResolver::CgroupReader reader() {
        return [this](const ProcessIdentity &process) -> std::optional<std::string> {
            ++reads;
            const auto found = texts.find(process.pid);
            if (found == texts.end()) return std::nullopt;
            return found->second;
        };
    }
};

class DesktopEntryResolverTest : public ::testing::Test {
protected:
    std::vector<std::string> directories() const {
        return {tree.applications("home"), tree.applications("share")};
    }
    static void waitForIndex(const DesktopEntryResolver &resolver) {
        ASSERT_TRUE(resolver.waitForFirstIndex(std::chrono::milliseconds(kPatience)));
    }

    ApplicationsTree tree;
};

TEST_F(DesktopEntryResolverTest, ResolvesARunningProgramToTheEntryThatStartsIt) {
    const std::string copy = tree.path("bin/demo-editor");
    fs::create_directories(tree.path("bin"));
    fs::copy_file(kHelper, copy);
    fs::permissions(copy, fs::perms::owner_all);
    const std::string link = tree.path("bin/demo-viewer");
    fs::create_symlink(kHelper, link);
    const std::string stranger = tree.path("bin/stranger");
    fs::copy_file(kHelper, stranger);
    fs::permissions(stranger, fs::perms::owner_all);
    const std::string editorFile =
        tree.write("home/applications/demo-editor.desktop",
                   desktopEntry("Demo Editor", copy + " %F", "Icon=demo-editor\n"));
    const std::string viewerFile = tree.write("share/applications/org.example.DemoViewer.desktop",
                                              desktopEntry("Demo Viewer", link));

    DesktopEntryResolver resolver(directories());
    waitForIndex(resolver);
    const Child editor(copy);
    const Child viewer(link);
    const Child unknown(stranger);

    EXPECT_EQ(resolver.applicationFor(editor.identity(), editor.executable()),
              (InstalledApplication{editorFile, "demo-editor", "Demo Editor", "demo-editor"}));
    EXPECT_EQ(resolver.applicationFor(viewer.identity(), viewer.executable()),
              (InstalledApplication{viewerFile, "org.example.DemoViewer", "Demo Viewer", ""}));
    EXPECT_EQ(resolver.applicationFor(unknown.identity(), unknown.executable()), std::nullopt);
}

TEST_F(DesktopEntryResolverTest, FallsBackToTheUnitTheDesktopLaunchedItIn) {
    const std::string editor = canonical(tree.program("bin/editor"));
    tree.write("share/applications/editor.desktop", desktopEntry("Editor", editor));
    tree.write("share/applications/org.example.Browser.desktop",
               desktopEntry("Browser", tree.program("bin/browser")));
    const std::string browserUnit =
        std::string(kUserApps) + "app-gnome-org.example.Browser-1.scope";
    FakeCgroups cgroups;
    cgroups.texts = {{1001, browserUnit},
                     {1002, browserUnit},
                     {1003, std::string(kUserApps) + "vte-spawn-1e7c9a2b.scope"},
                     {1004, std::string(kUserApps) + "app-gnome-unknown-3.scope"}};

    DesktopEntryResolver resolver(directories(), cgroups.reader());
    waitForIndex(resolver);
    const auto idFor = [&](int32_t pid, const std::string &executable) {
        const auto application = resolver.applicationFor({pid, 7}, executable);
        return application ? application->id : "(none)";
    };

    EXPECT_EQ(idFor(1001, "/opt/browser/renderer"), "org.example.Browser");
    EXPECT_EQ(idFor(1002, editor), "editor");
    EXPECT_EQ(idFor(1003, "/usr/bin/bash"), "(none)");
    EXPECT_EQ(idFor(1004, ""), "(none)");
    EXPECT_EQ(idFor(1005, "/usr/bin/gone"), "(none)");
}

TEST_F(DesktopEntryResolverTest, WorksOutEachProcessOnceUntilItIsForgotten) {
    tree.write("share/applications/first.desktop", desktopEntry("First", tree.program("bin/a")));
    tree.write("share/applications/second.desktop", desktopEntry("Second", tree.program("bin/b")));
    FakeCgroups cgroups;
    cgroups.texts[7] = std::string(kUserApps) + "app-first-1.scope";
    DesktopEntryResolver resolver(directories(), cgroups.reader());
    waitForIndex(resolver);
    const auto nameFor = [&](ProcessIdentity process) {
        const auto application = resolver.applicationFor(process, "/usr/lib/helper");
        return application ? application->name : "(none)";
    };
    const ProcessIdentity original{7, 100};
    const ProcessIdentity reused{7, 200};

    EXPECT_EQ(nameFor(original), "First");
    cgroups.texts[7] = std::string(kUserApps) + "app-second-1.scope";
    EXPECT_EQ(nameFor(original), "First");
    EXPECT_EQ(cgroups.reads, 1);
    // The same pid started later is another process.
    EXPECT_EQ(nameFor(reused), "Second");

    resolver.retainOnly({reused});
    EXPECT_EQ(nameFor(reused), "Second");
    EXPECT_EQ(cgroups.reads, 2);
    EXPECT_EQ(nameFor(original), "Second");
    EXPECT_EQ(cgroups.reads, 3);
}

TEST_F(DesktopEntryResolverTest, RebuildsWhenApplicationsChangeAndTriesNothingsAgain) {
    const std::string late = tree.program("bin/late");
    const std::string later = tree.program("bin/later");
    fs::create_directories(tree.applications("share"));
    FakeCgroups cgroups;
    DesktopEntryResolver resolver(directories(), cgroups.reader());
    waitForIndex(resolver);
    const ProcessIdentity lateProcess{501, 1};
    const ProcessIdentity laterProcess{502, 1};
    const std::string lateFile = tree.applications("share") + "/late.desktop";
    EXPECT_EQ(resolver.applicationFor(lateProcess, canonical(late)), std::nullopt);
    EXPECT_EQ(resolver.identifierAt(lateFile), std::nullopt);

    tree.write("share/applications/late.desktop", desktopEntry("Late", late));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return resolver.applicationFor(lateProcess, canonical(late)).has_value(); },
        kPatience));
    EXPECT_EQ(resolver.identifierAt(lateFile), "late");

    // The user's directory did not exist when the resolver started.
    tree.write("home/applications/later.desktop", desktopEntry("Later", later));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return resolver.applicationFor(laterProcess, canonical(later)).has_value(); },
        kPatience));
    EXPECT_EQ(resolver.identifierAt("/Applications/Foo.app"), std::nullopt);
}

} // namespace
