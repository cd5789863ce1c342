#include <gtest/gtest.h>

#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "ApplicationsTree.h"
#include "Apps/DesktopEntryIndex.h"

namespace {

namespace fs = std::filesystem;
using quorvel::platform::DesktopEntryIndex;
using quorvel::platform::InstalledApplication;

std::string canonical(const std::string &path) {
    return fs::canonical(path).string();
}

std::string idOf(const InstalledApplication *application) {
    return application ? application->id : "(none)";
}

class DesktopEntryIndexTest : public ::testing::Test {
protected:
    DesktopEntryIndex build() const {
        return DesktopEntryIndex(
            {tree.applications("home"), tree.applications("share1"), tree.applications("share2")});
    }

    ApplicationsTree tree;
};

TEST_F(DesktopEntryIndexTest, CountsOnlyShownRunnableWellFormedEntries) {
    const std::string app = tree.program("bin/demo-app");
    struct Case {
        std::string id;
        std::string content;
        bool counts;
    };
    const std::vector<Case> cases = {
        {"valid", desktopEntry("Valid", app + " %U"), true},
        {"with-path-key", desktopEntry("Worker", app, "Path=/tmp\n"), true},
        {"link", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n", false},
        {"no-display", desktopEntry("Quiet", app, "NoDisplay=true\n"), false},
        {"hidden", desktopEntry("Gone", app, "Hidden=true\n"), false},
        {"terminal", desktopEntry("Shell Tool", app, "Terminal=true\n"), false},
        {"no-exec", "[Desktop Entry]\nType=Application\nName=NoExec\n", false},
        {"empty-exec", desktopEntry("Empty", ""), false},
        {"open-quote", desktopEntry("Quote", "\"" + app + " --flag"), false},
        {"field-code-only", desktopEntry("Codes", "%U"), false},
        {"missing-program", desktopEntry("Missing", "/nonexistent/quorvel-test-program"), false},
        {"missing-try-exec", desktopEntry("Untried", app, "TryExec=/nonexistent/quorvel\n"), false},
        {"no-group", "Type=Application\nName=Loose\nExec=" + app + "\n", false},
        {"other-group-first", "[Other]\nA=b\n" + desktopEntry("Late", app), false},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0\xff\xfe",
                     12),
         false},
        {"latin1-name", desktopEntry("Caf\xe9", app), false},
        {"no-name", "[Desktop Entry]\nType=Application\nExec=" + app + "\n", false},
        {"huge", desktopEntry("Huge", app, "# " + std::string(2 * 1024 * 1024, 'x') + "\n"), false},
    };
    for (const Case &c : cases)
        tree.write("share1/applications/" + c.id + ".desktop", c.content);
    tree.write("share1/applications/not-an-entry.txt", desktopEntry("Text", app));
    tree.write("share1/applications/.desktop", desktopEntry("Nameless", app));
    fs::create_directories(tree.applications("share1") + "/directory.desktop");
    ASSERT_EQ(::mkfifo((tree.applications("share1") + "/fifo.desktop").c_str(), 0600), 0);

    const DesktopEntryIndex index = build();
    for (const Case &c : cases) {
        EXPECT_EQ(index.byId(c.id) != nullptr, c.counts) << c.id;
    }
    EXPECT_EQ(index.size(), 2u);
}

TEST_F(DesktopEntryIndexTest, FindsEntriesByTheProgramsTheyStart) {
    const std::string app = tree.program("bin/demo-app");
    const std::string spaced = tree.program("my apps/spaced app");
    const std::string target = tree.program("bin/real-target");
    const std::string link = tree.path("bin/link");
    fs::create_symlink(target, link);
    const std::string truePath = QStandardPaths::findExecutable("true").toStdString();
    ASSERT_FALSE(truePath.empty());

    const std::string demoFile =
        tree.write("share1/applications/demo-app.desktop",
                   desktopEntry("Demo", app + " %U", "Icon=demo-icon\nName[xx_YY]=Demo in XX\n"));
    tree.write("share1/applications/spaced.desktop",
               desktopEntry("Spaced", "\"" + spaced + "\" --open %F"));
    tree.write("share1/applications/linked.desktop", desktopEntry("Linked", link));
    tree.write("share1/applications/bare.desktop", desktopEntry("Bare", "true --quiet"));

    const DesktopEntryIndex index = build();
    const InstalledApplication *demo = index.byProgram(canonical(app));
    ASSERT_NE(demo, nullptr);
    EXPECT_EQ(*demo, (InstalledApplication{demoFile, "demo-app", "Demo", "demo-icon"}));
    EXPECT_EQ(index.byFile(demoFile), demo);
    EXPECT_EQ(idOf(index.byProgram(canonical(spaced))), "spaced");
    EXPECT_EQ(idOf(index.byProgram(canonical(target))), "linked");
    EXPECT_EQ(index.byProgram(link), nullptr);
    EXPECT_EQ(idOf(index.byProgram(canonical(truePath))), "bare");
    EXPECT_EQ(index.byProgram(""), nullptr);
}

TEST_F(DesktopEntryIndexTest, NeverKeysLaunchWrappers) {
    const std::string wrapped = tree.program("bin/wrapped");
    const std::string tried = tree.program("bin/tried");
    const std::string interpreter = tree.program("bin/python3.12");
    const std::string envPath = canonical(QStandardPaths::findExecutable("env").toStdString());
    const std::string shPath = canonical(QStandardPaths::findExecutable("sh").toStdString());
    const std::string envLink = tree.path("bin/launch");
    fs::create_symlink(envPath, envLink);

    tree.write("share1/applications/env-wrapped.desktop",
               desktopEntry("Env Wrapped", "env FOO=1 " + wrapped));
    tree.write("share1/applications/env-tried.desktop",
               desktopEntry("Env Tried", "env FOO=1 " + tried + " --x", "TryExec=" + tried + "\n"));
    tree.write("share1/applications/shell.desktop", desktopEntry("Shell", "sh -c \"echo hi\""));
    tree.write("share1/applications/script.desktop", desktopEntry("Script", interpreter + " s.py"));
    tree.write("share1/applications/launch.desktop", desktopEntry("Launch", envLink + " A=1 x"));

    const DesktopEntryIndex index = build();
    EXPECT_EQ(index.size(), 5u);
    EXPECT_EQ(idOf(index.byProgram(canonical(tried))), "env-tried");
    for (const std::string &program :
         {envPath, shPath, canonical(wrapped), canonical(interpreter)}) {
        EXPECT_EQ(index.byProgram(program), nullptr) << program;
    }
}

TEST_F(DesktopEntryIndexTest, GivesASharedProgramToTheEntryNamingItElseTheFirst) {
    const std::string editor = tree.program("bin/editor");
    const std::string viewer = tree.program("bin/viewer");
    const std::string tool = tree.program("bin/tool");
    tree.write("share1/applications/aaa-open-with.desktop", desktopEntry("Open", editor + " %f"));
    tree.write("share2/applications/editor.desktop", desktopEntry("Editor", editor));
    tree.write("share1/applications/alpha.desktop", desktopEntry("Alpha", viewer));
    tree.write("share1/applications/com.example.Viewer.desktop", desktopEntry("Viewer", viewer));
    tree.write("share2/applications/alpha-tool.desktop", desktopEntry("Alpha Tool", tool));
    tree.write("share1/applications/zeta-tool.desktop", desktopEntry("Zeta Tool", tool));
    tree.write("share1/applications/beta-tool.desktop", desktopEntry("Beta Tool", tool));

    const DesktopEntryIndex index = build();
    EXPECT_EQ(idOf(index.byProgram(canonical(editor))), "editor");
    EXPECT_EQ(idOf(index.byProgram(canonical(viewer))), "com.example.Viewer");
    EXPECT_EQ(idOf(index.byProgram(canonical(tool))), "beta-tool");
}

TEST_F(DesktopEntryIndexTest, LetsEarlierDirectoriesTakeAnId) {
    const std::string app = tree.program("bin/app");
    const std::string masked = tree.program("bin/masked");
    const std::string mine =
        tree.write("home/applications/same.desktop", desktopEntry("Mine", app));
    tree.write("share1/applications/same.desktop", desktopEntry("System", app));
    tree.write("home/applications/masked.desktop", desktopEntry("Masked", masked, "Hidden=true\n"));
    tree.write("share1/applications/masked.desktop", desktopEntry("Masked", masked));
    tree.write("home/applications/quiet.desktop", desktopEntry("Quiet", app, "NoDisplay=true\n"));
    tree.write("share2/applications/quiet.desktop", desktopEntry("Quiet", app));
    tree.write("home/applications/broken.desktop", "not a desktop entry\n");
    const std::string sound =
        tree.write("share2/applications/broken.desktop", desktopEntry("Sound", app));

    const DesktopEntryIndex index = build();
    ASSERT_NE(index.byId("same"), nullptr);
    EXPECT_EQ(index.byId("same")->name, "Mine");
    EXPECT_EQ(index.byId("same")->path, mine);
    EXPECT_EQ(index.byId("masked"), nullptr);
    EXPECT_EQ(index.byProgram(canonical(masked)), nullptr);
    EXPECT_EQ(index.byId("quiet"), nullptr);
    ASSERT_NE(index.byId("broken"), nullptr);
    EXPECT_EQ(index.byId("broken")->path, sound);
}

TEST_F(DesktopEntryIndexTest, NamesEntriesInSubdirectoriesWithDashes) {
    const std::string app = tree.program("bin/app");
    const std::string file =
        tree.write("share1/applications/vendor/suite/tool.desktop", desktopEntry("Tool", app));

    const DesktopEntryIndex index = build();
    ASSERT_NE(index.byId("vendor-suite-tool"), nullptr);
    EXPECT_EQ(index.byId("vendor-suite-tool")->path, file);
    EXPECT_EQ(idOf(index.byFile(file)), "vendor-suite-tool");
    EXPECT_EQ(idOf(index.byProgram(canonical(app))), "vendor-suite-tool");
}

TEST_F(DesktopEntryIndexTest, NamesEntriesInTheRunsLanguage) {
    const std::string app = tree.program("bin/app");
    tree.write("share1/applications/editor.desktop",
               desktopEntry("Editor", app, "Name[de]=Bearbeiter\nName[fr]=Éditeur\n"));
    const auto nameIn = [&](const char *language) {
        ::setenv("LANGUAGE", language, 1);
        const DesktopEntryIndex index = build();
        return index.byId("editor") ? index.byId("editor")->name : "(none)";
    };
    const char *previous = std::getenv("LANGUAGE");
    const std::string saved = previous ? previous : "";

    const std::string german = nameIn("de");
    const std::string french = nameIn("fr:de");
    const std::string untranslated = nameIn("xx");
    if (previous) {
        ::setenv("LANGUAGE", saved.c_str(), 1);
    } else {
        ::unsetenv("LANGUAGE");
    }

    EXPECT_EQ(german, "Bearbeiter");
    EXPECT_EQ(french, "Éditeur");
    EXPECT_EQ(untranslated, "Editor");
}

} // namespace
