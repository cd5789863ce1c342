#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "GovernorHarness.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using platform::FrontmostApplication;
using testing::application;
using testing::GovernorHarness;

// A group whose only process runs `path`; the name is what the kernel shows,
// cut to 15 bytes.
AppGroup running(std::string path) {
    AppGroup group = application("Helper", "org.example.Helper", {300});
    group.processes[0].path = path;
    group.processes[0].name = path.substr(path.rfind('/') + 1).substr(0, 15);
    return group;
}

AppGroup withoutPath(AppGroup group) {
    group.appPath = std::nullopt;
    return group;
}

AppGroup withProcess(AppGroup group, std::string name, std::string path) {
    group.processes.push_back({900, 1, 1000, 1, 0, std::move(name), std::move(path), 77});
    return group;
}

TEST(GovernorBlockRules, FirstApplicableRuleGivesTheReason) {
    const std::optional<FrontmostApplication> none;
    const FrontmostApplication browser{"org.example.Browser", 4242};
    const FrontmostApplication anonymous{std::nullopt, 4242};
    const std::string notAnApp = "governance.block.notAnApp";
    const std::string protectedKey = "governance.block.protected";
    const std::string foreground = "governance.block.foreground";

    struct Case {
        const char *what;
        AppGroup group;
        std::optional<FrontmostApplication> frontmost;
        std::optional<std::string> reasonKey;
    };
    const Case cases[] = {
        {"a tool outside any application", withoutPath(application("Tool", {}, {10})), none,
         notAnApp},
        {"no path wins over a protected name in front",
         withoutPath(application("Finder", "org.example.Browser", {4242})), browser, notAnApp},
        {"a protected name", application("Finder", "org.example.Files", {10}), none, protectedKey},
        {"this program", application("Quorvel", "org.example.Q", {10}), none, protectedKey},
        {"this program's other name", application("Quorvel Pro", "org.example.Q", {10}), none,
         protectedKey},
        {"names compare case-sensitively", application("finder", "org.example.Files", {10}), none,
         std::nullopt},
        {"a system identifier", application("Safari", "com.apple.Safari", {10}), none,
         protectedKey},
        {"the system prefix ends in a dot", application("Sauce", "com.applesauce.App", {10}), none,
         std::nullopt},
        {"the bare system prefix", application("Apple", "com.apple", {10}), none, std::nullopt},
        {"the shell", application("Shell", "org.gnome.Shell", {10}), none, protectedKey},
        {"the shell's parts", application("Extensions", "org.gnome.Shell.Extensions", {10}), none,
         protectedKey},
        {"a name that only begins like the shell",
         application("Tools", "org.gnome.ShellTools", {10}), none, std::nullopt},
        {"a settings daemon", application("Power", "org.gnome.SettingsDaemon.Power", {10}), none,
         protectedKey},
        {"the Plasma shell", application("Plasma", "org.kde.plasmashell", {10}), none,
         protectedKey},
        {"KWin", application("KWin", "org.kde.kwin", {10}), none, protectedKey},
        {"the KDE session manager", application("Session", "org.kde.ksmserver", {10}), none,
         protectedKey},
        {"a KDE application", application("KWrite", "org.kde.kwrite", {10}), none, std::nullopt},
        {"a freedesktop service", application("IBus", "org.freedesktop.IBus", {10}), none,
         protectedKey},
        {"this program's identifier", application("Q", "io.quorvel.Quorvel", {10}), none,
         protectedKey},
        {"a process of the shell", running("/usr/bin/gnome-shell"), none, protectedKey},
        {"a session manager whose name the kernel cut short",
         running("/usr/libexec/gnome-session-binary"), none, protectedKey},
        {"a desktop portal backend", running("/usr/libexec/xdg-desktop-portal-gtk"), none,
         protectedKey},
        {"the user's service manager", running("/usr/lib/systemd/systemd"), none, protectedKey},
        {"a program named like the service manager", running("/usr/bin/systemd-analyze"), none,
         std::nullopt},
        {"the sound server", running("/usr/bin/wireplumber"), none, protectedKey},
        {"this program's executable", running("/opt/quorvel/bin/quorvel"), none, protectedKey},
        {"one session process among ordinary ones",
         withProcess(application("Mixed", "org.example.Mixed", {10, 11}), "Xwayland", ""), none,
         protectedKey},
        {"a protected group in front is protected, not foreground",
         application("Finder", "org.example.Browser", {4242}), browser, protectedKey},
        {"nothing in front", application("Browser", "org.example.Browser", {4242}), none,
         std::nullopt},
        {"the application in front", application("Browser", "org.example.Browser", {1, 2}), browser,
         foreground},
        {"another identifier holding the front process",
         application("Wrapper", "org.example.Wrapper", {7, 4242}), browser, foreground},
        {"a front process without identifier", application("Editor", "org.example.Editor", {4242}),
         anonymous, foreground},
        {"identifiers differ and no pid is shared",
         application("Editor", "org.example.Editor", {7, 8}), browser, std::nullopt},
        {"no identifiers and no pid shared", application("Game", std::nullopt, {7}), anonymous,
         std::nullopt},
    };
    for (const Case &c : cases) {
        GovernorHarness harness;
        harness.workspace->setFrontmost(c.frontmost);
        const std::optional<std::string> reason = harness.governor->blockReason(c.group);
        if (c.reasonKey) {
            EXPECT_EQ(reason, L10n::t(*c.reasonKey)) << c.what;
        } else {
            EXPECT_EQ(reason, std::nullopt) << c.what;
        }
    }
}

} // namespace
} // namespace quorvel
