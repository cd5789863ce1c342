#include <gtest/gtest.h>

#include <QStandardPaths>

#include <filesystem>
#include <set>
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

// Three applications directories, earliest first.
DesktopEntryIndex indexOf(const ApplicationsTree &tree) {
    return DesktopEntryIndex({tree.path("1"), tree.path("2"), tree.path("3")});
}

TEST(DesktopEntryIndex, IndexesShownRunnableEntriesByIdProgramAndFile) {
    ApplicationsTree tree;
    const auto program = [&](const char *name) { return tree.program(std::string("bin/") + name); };
    const std::string app = program("app"), demo = program("demo-app"), target = program("target"),
                      editor = program("editor"), viewer = program("viewer"),
                      tool = program("tool"), wrapped = program("wrapped"),
                      tried = program("tried"), interpreter = program("python3.12"),
                      masked = program("masked"), spaced = tree.program("my apps/spaced app"),
                      link = tree.path("bin/link"), envLink = tree.path("bin/launch");
    const std::string envPath = canonical(QStandardPaths::findExecutable("env").toStdString());
    const std::string truePath = canonical(QStandardPaths::findExecutable("true").toStdString());
    fs::create_symlink(target, link);
    fs::create_symlink(envPath, envLink);
    const auto entry = [](const std::string &name, const std::string &exec,
                          const std::string &more = {}) { return desktopEntry(name, exec, more); };

    struct Entry {
        std::string file;
        std::string content;
        const char *id;
        const char *name; // what the ID finds; none when null
    };
    const std::vector<Entry> entries = {
        {"2/valid.desktop", entry("Valid", app + " %U"), "valid", "Valid"},
        // What is no shown, runnable, well-formed application counts for nothing.
        {"2/link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=https://a.org\n", "link", {}},
        {"2/terminal.desktop", entry("Shell Tool", app, "Terminal=true\n"), "terminal", {}},
        {"2/no-exec.desktop", "[Desktop Entry]\nType=Application\nName=NoExec\n", "no-exec", {}},
        {"2/open-quote.desktop", entry("Quote", "\"" + app + " --flag"), "open-quote", {}},
        {"2/codes-only.desktop", entry("Codes", "%U"), "codes-only", {}},
        {"2/missing.desktop", entry("Missing", "/nonexistent/quorvel-test"), "missing", {}},
        {"2/untried.desktop", entry("U", app, "TryExec=/nonexistent/q\n"), "untried", {}},
        {"2/binary.desktop", std::string("\x7f\x45LF\x02\x01\x01\0\0\0\xff\xfe", 12), "binary", {}},
        {"2/anon.desktop", "[Desktop Entry]\nType=Application\nExec=" + app + "\n", "anon", {}},
        {"2/huge.desktop", entry("Huge", app, "# " + std::string(2 << 20, 'x') + "\n"), "huge", {}},
        {"2/not-an-entry.txt", entry("Text", app), "not-an-entry", {}},
        {"2/.desktop", entry("Nameless", app), "", {}},
        // An earlier directory takes an ID, with a Hidden entry too, but not with a broken file.
        {"1/same.desktop", entry("Mine", app), "same", "Mine"},
        {"2/same.desktop", entry("System", app), "same", "Mine"},
        {"1/masked.desktop", entry("Masked", masked, "Hidden=true\n"), "masked", {}},
        {"2/masked.desktop", entry("Masked", masked), "masked", {}},
        {"1/quiet.desktop", entry("Quiet", app, "NoDisplay=true\n"), "quiet", {}},
        {"3/quiet.desktop", entry("Quiet", app), "quiet", {}},
        {"1/broken.desktop", "not a desktop entry\n", "broken", "Sound"},
        {"3/broken.desktop", entry("Sound", app), "broken", "Sound"},
        {"2/vendor/suite/tool.desktop", entry("Tool", tool), "vendor-suite-tool", "Tool"},
        // Programs: quoted, through a symlink, on the PATH; wrappers are looked through.
        {"2/demo-app.desktop", entry("Demo", demo + " %U", "Icon=demo-icon\nName[xx_YY]=XX\n"),
         "demo-app", "Demo"},
        {"2/spaced.desktop", entry("Spaced", "\"" + spaced + "\" --open %F"), "spaced", "Spaced"},
        {"2/linked.desktop", entry("Linked", link), "linked", "Linked"},
        {"2/bare.desktop", entry("Bare", "true --quiet"), "bare", "Bare"},
        {"2/env-wrapped.desktop", entry("W", "env FOO=1 " + wrapped), "env-wrapped", "W"},
        {"2/env-tried.desktop", entry("T", "env A=1 " + tried + " -x", "TryExec=" + tried + "\n"),
         "env-tried", "T"},
        {"2/script.desktop", entry("Script", interpreter + " s.py"), "script", "Script"},
        {"2/launch.desktop", entry("Launch", envLink + " A=1 x"), "launch", "Launch"},
        // A shared program goes to the entry whose ID names it, else the first.
        {"2/aaa-open-with.desktop", entry("Open", editor + " %f"), "aaa-open-with", "Open"},
        {"3/editor.desktop", entry("Editor", editor), "editor", "Editor"},
        {"2/alpha.desktop", entry("Alpha", viewer), "alpha", "Alpha"},
        {"2/com.example.Viewer.desktop", entry("Viewer", viewer), "com.example.Viewer", "Viewer"},
        {"3/alpha-tool.desktop", entry("Alpha Tool", tool), "alpha-tool", "Alpha Tool"},
        {"2/zeta-tool.desktop", entry("Zeta Tool", tool), "zeta-tool", "Zeta Tool"},
    };
    for (const Entry &e : entries) tree.write(e.file, e.content);
    fs::create_directories(tree.path("2/directory.desktop"));
    ASSERT_EQ(::mkfifo(tree.path("2/fifo.desktop").c_str(), 0600), 0);

    const DesktopEntryIndex index = indexOf(tree);
    std::set<std::string> counted;
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.file);
        const InstalledApplication *found = index.byId(e.id);
        EXPECT_STREQ(found ? found->name.c_str() : nullptr, e.name);
        if (e.name) counted.insert(e.id);
    }
    EXPECT_EQ(index.size(), counted.size());

    const InstalledApplication *shown = index.byProgram(canonical(demo));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(*shown, (InstalledApplication{tree.path("2/demo-app.desktop"), "demo-app", "Demo",
                                            "demo-icon"}));
    EXPECT_EQ(index.byFile(shown->path), shown);
    EXPECT_EQ(idOf(index.byFile(tree.path("2/vendor/suite/tool.desktop"))), "vendor-suite-tool");
    const std::pair<std::string, const char *> programs[] = {
        {canonical(spaced), "spaced"},
        {canonical(target), "linked"},
        {truePath, "bare"},
        {canonical(tried), "env-tried"},
        {canonical(editor), "editor"},
        {canonical(viewer), "com.example.Viewer"},
        {canonical(tool), "vendor-suite-tool"}};
    for (const std::string &path : {link, canonical(wrapped), canonical(interpreter), envPath,
                                    canonical(masked), std::string()})
        EXPECT_EQ(index.byProgram(path), nullptr) << path;
    for (const auto &[path, id] : programs) EXPECT_EQ(idOf(index.byProgram(path)), id) << path;
}

} // namespace
