#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/CgroupUnitName.h"

namespace {

using quorvel::platform::CgroupUnitName::applicationIdsOfCgroup;
using Ids = std::vector<std::string>;

constexpr char kUserApps[] = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";

std::string unified(const std::string &unitPath) {
    return kUserApps + unitPath + "\n";
}

TEST(CgroupUnitName, ReadsApplicationIdsOfRealWorldUnits) {
    struct Case {
        std::string cgroup;
        Ids ids;
    };
    const std::vector<Case> cases = {
        // GNOME scopes: launcher "gnome", the pid as random part.
        {unified(R"(app-gnome-firefox\x2desr-4821.scope)"), {"gnome-firefox-esr", "firefox-esr"}},
        // A launcher that did not escape the dashes of the ID.
        {unified("app-gnome-google-chrome-9876.scope"),
         {"gnome-google-chrome", "google-chrome", "chrome"}},
        // KDE: no launcher, a UUID without dashes.
        {unified("app-org.kde.dolphin-3f4a9c7e1b2d4e5f8a6b7c8d9e0f1a2b.scope"),
         {"org.kde.dolphin"}},
        // systemd's autostart generator.
        {unified("app-org.gnome.SettingsDaemon.Power@autostart.service"),
         {"org.gnome.SettingsDaemon.Power"}},
        // A service without a random part.
        {unified("app-org.example.Daemon.service"), {"org.example.Daemon"}},
        // Snap.
        {unified("snap.firefox.firefox-2c5d7e8f-1a2b-4c3d-9e8f-7a6b5c4d3e2f.scope"),
         {"firefox_firefox"}},
        // Other escapes are decoded too, after splitting.
        {unified(R"(app-gnome-My\x20Tool-77.scope)"), {"gnome-My Tool", "My Tool"}},
        // A service's own sub-groups are looked through.
        {unified("app-org.example.Tool@1a2b.service/worker/inner"), {"org.example.Tool"}},
        // Hybrid hierarchies: only the unified line counts.
        {"12:pids:/user.slice/user-1000.slice/user@1000.service\n"
         "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "app-gnome-org.gnome.Nautilus-2201.scope\n"
         "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "app-org.kde.kate-1.scope",
         {"org.kde.kate"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cgroup);
        EXPECT_EQ(applicationIdsOfCgroup(c.cgroup), c.ids);
    }
    // Units that name no application, and texts with no unit of the user's manager.
    for (const char *unit :
         {"app.slice/app-org.gnome.Terminal.slice/vte-spawn-1e7c9a2b.scope",
          "vte-spawn-1e7c9a2b-3d4f-4a5b-8c6d-7e8f9a0b1c2d.scope",
          "app-org.kde.konsole-1234.scope/tab-5.scope", "pipewire.service",
          "application-foo-1.scope", "app-1234.scope", "app-.scope", "app-gnome-foo-1.slice"})
        EXPECT_EQ(applicationIdsOfCgroup(unified(unit)), Ids{}) << unit;
    for (const char *text :
         {"0::/user.slice/user-1000.slice/session-2.scope\n", "0::/\n", "",
          // The legacy hierarchy alone, and a container's view.
          "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/app-a-1.scope\n",
          "4:memory:/process_api/a32cd5c61532baa9e90c68e11afa3368\n0::/\n"})
        EXPECT_EQ(applicationIdsOfCgroup(text), Ids{}) << text;
}

} // namespace
