#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "ApplicationsTree.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/ProcessCgroup.h"
#include "Apps/ProcessFamilies.h"

namespace {

namespace fs = std::filesystem;
using quorvel::platform::DesktopEntryResolver;
using quorvel::platform::FamilyMember;
using quorvel::platform::InstalledApplication;
using quorvel::platform::readProcessStartTime;
using quorvel::platform::settleFamilies;

constexpr auto kPatience = std::chrono::milliseconds(20000); // only a broken build waits this long

std::string systemProgram(const char *name) {
    return fs::canonical(QStandardPaths::findExecutable(name).toStdString()).string();
}

// Processes started in the background of a shell that exits at once, so
// that each is an orphan as a crash handler is; all ended with the test.
class Orphans {
public:
    ~Orphans() {
        for (pid_t pid : pids_) ::kill(pid, SIGKILL);
    }

    // The pid of `command` run by sh; 0 when it did not start.
    pid_t start(const std::string &command) {
        QProcess shell;
        shell.start("sh", {"-c", QString::fromStdString(command + " </dev/null >/dev/null 2>&1 & "
                                                                  "echo $!")});
        if (!shell.waitForFinished(10000)) return 0;
        const pid_t pid = shell.readAllStandardOutput().trimmed().toInt();
        if (pid > 0) pids_.push_back(pid);
        return pid;
    }

private:
    std::vector<pid_t> pids_;
};

std::string executableOf(pid_t pid) {
    std::error_code error;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).string();
}

// Real layouts of installed applications, run for real: wrapper scripts
// that exec a binary in a private folder, a symlink from a bin folder into an
// /opt folder, helpers beside the binary with parent 1, interpreted programs.
TEST(ApplicationLayouts, ProcessesResolveToTheApplicationThatInstalledThem) {
    ApplicationsTree tree;
    const std::string root = fs::canonical(tree.path(".")).string(), sleep = systemProgram("sleep"),
                      python = fs::canonical("/usr/bin/python3").string();
    const auto binary = [&](const std::string &relative) {
        fs::create_directories(fs::path(root + "/" + relative).parent_path());
        fs::copy_file(sleep, root + "/" + relative);
        return root + "/" + relative;
    };
    const auto script = [&](const std::string &relative, const std::string &text) {
        const std::string file = tree.write(relative, text);
        fs::permissions(file, fs::perms::owner_all);
        return fs::canonical(file).string();
    };
    const auto entry = [&](const std::string &id, const std::string &name, const std::string &exec,
                           const std::string &more = {}) {
        tree.write("share/applications/" + id + ".desktop", desktopEntry(name, exec, more));
    };

    // Chromium: a script in the bin folder runs the binary of the same name.
    binary("usr/lib/chromium/chromium");
    binary("usr/lib/chromium/chrome_crashpad_handler");
    script("usr/bin/chromium", "#!/bin/sh\nexec " + root + "/usr/lib/chromium/chromium \"$@\"\n");
    entry("chromium", "Chromium", root + "/usr/bin/chromium %U");
    // Chrome: a symlink into /opt, to a script beside the binary.
    binary("opt/google/chrome/chrome");
    binary("opt/google/chrome/chrome_crashpad_handler");
    script("opt/google/chrome/google-chrome",
           "#!/bin/sh\nexec " + root + "/opt/google/chrome/chrome \"$@\"\n");
    fs::create_symlink(root + "/opt/google/chrome/google-chrome",
                       root + "/usr/bin/google-chrome-stable");
    entry("google-chrome", "Chrome", root + "/usr/bin/google-chrome-stable");
    // Firefox: a symlink to the binary, a crash helper beside it.
    binary("usr/lib/firefox-esr/firefox-esr");
    binary("usr/lib/firefox-esr/crashhelper");
    fs::create_symlink(root + "/usr/lib/firefox-esr/firefox-esr", root + "/usr/bin/firefox-esr");
    entry("firefox-esr", "Firefox", root + "/usr/bin/firefox-esr");
    // An office suite: every entry runs one launcher; its binaries lie beside it.
    binary("usr/lib/office/program/soffice");
    binary("usr/lib/office/program/soffice.bin");
    fs::create_symlink(root + "/usr/lib/office/program/soffice", root + "/usr/bin/libreoffice");
    entry("libreoffice-calc", "Calc", root + "/usr/bin/libreoffice --calc");
    entry("libreoffice-writer", "Writer", root + "/usr/bin/libreoffice --writer");
    // Two applications of one vendor share a folder: its helper is neither's.
    binary("opt/suite/alpha");
    binary("opt/suite/beta");
    binary("opt/suite/updater");
    entry("alpha", "Alpha", root + "/opt/suite/alpha");
    entry("beta", "Beta", root + "/opt/suite/beta");
    // A renamed binary behind a wrapper that execs a symlink named after the app.
    binary("usr/lib/viewer-1.2/viewer-bin");
    fs::create_symlink(root + "/usr/lib/viewer-1.2/viewer-bin", root + "/usr/bin/Viewer");
    entry("org.example.viewer", "Viewer", root + "/usr/bin/viewer-launch",
          "StartupWMClass=Viewer\n");
    script("usr/bin/viewer-launch", "#!/bin/sh\nexec " + root + "/usr/bin/Viewer \"$@\"\n");
    // Interpreted programs: one named in Exec after its interpreter, one a #! program.
    const std::string idle = "import time\ntime.sleep(300)\n";
    script("usr/share/notes/notes.py", idle);
    entry("org.example.Notes", "Notes", "/usr/bin/python3 " + root + "/usr/share/notes/notes.py");
    script("usr/bin/planner", "#!" + python + "\n" + idle);
    entry("planner", "Planner", root + "/usr/bin/planner");
    script("usr/share/other/other.py", idle);
    // Something in the shared bin folder beside the entries' programs.
    binary("usr/bin/unrelated");

    DesktopEntryResolver resolver({tree.path("share/applications")},
                                  [](const auto &) { return std::nullopt; });
    ASSERT_TRUE(resolver.waitForFirstIndex(kPatience));

    struct Case {
        std::string command;
        std::string executable; // what the process runs once started
        const char *application;
    };
    const Case cases[] = {
        {root + "/usr/bin/chromium 300", root + "/usr/lib/chromium/chromium", "Chromium"},
        {root + "/usr/lib/chromium/chrome_crashpad_handler 300",
         root + "/usr/lib/chromium/chrome_crashpad_handler", "Chromium"},
        {root + "/usr/bin/google-chrome-stable 300", root + "/opt/google/chrome/chrome", "Chrome"},
        {root + "/opt/google/chrome/chrome_crashpad_handler 300",
         root + "/opt/google/chrome/chrome_crashpad_handler", "Chrome"},
        {root + "/usr/lib/firefox-esr/crashhelper 300", root + "/usr/lib/firefox-esr/crashhelper",
         "Firefox"},
        {root + "/usr/lib/office/program/soffice.bin 300",
         root + "/usr/lib/office/program/soffice.bin", "Calc"},
        {root + "/opt/suite/updater 300", root + "/opt/suite/updater", "(none)"},
        {root + "/usr/bin/viewer-launch 300", root + "/usr/lib/viewer-1.2/viewer-bin", "Viewer"},
        {python + " " + root + "/usr/share/notes/notes.py", python, "Notes"},
        {root + "/usr/bin/planner", python, "Planner"},
        {python + " " + root + "/usr/share/other/other.py", python, "(none)"},
        {python + " -c 'import time; time.sleep(300)' " + root + "/usr/bin/planner", python,
         "(none)"},
        {root + "/usr/bin/unrelated 300", root + "/usr/bin/unrelated", "(none)"},
    };
    Orphans orphans;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        const pid_t pid = orphans.start(c.command);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return executableOf(pid) == c.executable; }, 10000))
            << executableOf(pid);
        const auto application =
            resolver.applicationFor({pid, readProcessStartTime(pid).value_or(0)}, c.executable);
        EXPECT_EQ(application ? application->name : "(none)", c.application);
    }
}

// Families: a process found nowhere is its parent's, except through shells,
// launchers and terminals; a terminal's launch unit holds only the terminal's
// own helpers.
TEST(ProcessFamilies, ALooseProcessJoinsItsParentUnlessAShellOrTerminalStandsBetween) {
    const InstalledApplication editor{"/e.desktop", "editor", "Editor", ""};
    const InstalledApplication terminal{"/t.desktop", "term", "Term", "", true};
    InstalledApplication terminalUnit = terminal;
    terminalUnit.byLaunchUnit = true;
    using Found = std::optional<InstalledApplication>;
    struct Case {
        FamilyMember member;
        const char *settled;
    };
    const Case cases[] = {
        {{10, 1, "editor", editor}, "Editor"},
        {{11, 10, "editor-helper", {}}, "Editor"},
        {{12, 11, "grandchild", {}}, "Editor"}, // down an unbroken line
        {{13, 10, "python3.11", {}}, "Editor"}, // an interpreter the app runs
        {{14, 10, "bash", {}}, "(none)"},       // a shell is its own
        {{15, 14, "make", {}}, "(none)"},       // and so is what runs in it
        {{16, 10, "env", {}}, "(none)"},        // a launcher too
        {{17, 999, "orphan", {}}, "(none)"},    // no parent listed
        {{20, 1, "term", terminal}, "Term"},
        {{21, 20, "term-helper", Found(terminalUnit)}, "Term"},
        {{22, 20, "zsh", Found(terminalUnit)}, "(none)"},
        {{23, 22, "vim", Found(terminalUnit)}, "(none)"},
        {{24, 23, "vim-plugin", Found(terminalUnit)}, "(none)"},
        {{25, 20, "child-of-term", {}}, "(none)"}, // not inherited from a terminal
        {{26, 1, "outside-unit-start", Found(terminalUnit)}, "Term"},
        {{30, 31, "loop-a", {}}, "(none)"},
        {{31, 30, "loop-b", {}}, "(none)"},
    };
    std::vector<FamilyMember> members;
    for (const Case &c : cases) members.push_back(c.member);
    const std::vector<std::optional<InstalledApplication>> settled = settleFamilies(members);
    ASSERT_EQ(settled.size(), members.size());
    for (size_t i = 0; i < settled.size(); ++i) {
        EXPECT_EQ(settled[i] ? settled[i]->name : "(none)", cases[i].settled)
            << cases[i].member.pid << " " << cases[i].member.program;
    }
}

} // namespace
