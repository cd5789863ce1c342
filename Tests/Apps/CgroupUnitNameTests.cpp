#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/CgroupUnitName.h"

namespace {

using quorvel::platform::CgroupUnitName::applicationIdsOfCgroup;
using quorvel::platform::CgroupUnitName::decodeEscapes;
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
        {unified("app-gnome-org.gnome.Nautilus-2201.scope"),
         {"gnome-org.gnome.Nautilus", "org.gnome.Nautilus"}},
        {unified(R"(app-gnome-org.gnome.Evolution\x2dalarm\x2dnotify-2309.scope)"),
         {"gnome-org.gnome.Evolution-alarm-notify", "org.gnome.Evolution-alarm-notify"}},
        // A launcher that did not escape the dashes of the ID.
        {unified("app-gnome-google-chrome-9876.scope"),
         {"gnome-google-chrome", "google-chrome", "chrome"}},
        // KDE: no launcher, a UUID without dashes; services after '@'.
        {unified("app-org.kde.dolphin-3f4a9c7e1b2d4e5f8a6b7c8d9e0f1a2b.scope"),
         {"org.kde.dolphin"}},
        {unified("app-org.kde.konsole@0b5e29a4d1c84e7ea3c2f5e6d7a8b9c0.service"),
         {"org.kde.konsole"}},
        {unified("app-firefox-2c5d7e8f-1a2b-4c3d-9e8f-7a6b5c4d3e2f.scope"), {"firefox"}},
        // systemd's autostart generator.
        {unified("app-org.gnome.SettingsDaemon.Power@autostart.service"),
         {"org.gnome.SettingsDaemon.Power"}},
        // A service without a random part.
        {unified("app-org.example.Daemon.service"), {"org.example.Daemon"}},
        // Flatpak and Snap.
        {unified("app-flatpak-org.mozilla.firefox-51234.scope"),
         {"flatpak-org.mozilla.firefox", "org.mozilla.firefox"}},
        {unified("snap.firefox.firefox-2c5d7e8f-1a2b-4c3d-9e8f-7a6b5c4d3e2f.scope"),
         {"firefox_firefox"}},
        {unified("snap.code.code-3a4b5c6d7e8f.scope"), {"code_code"}},
        // Other escapes are decoded too, after splitting.
        {unified(R"(app-gnome-My\x20Tool-77.scope)"), {"gnome-My Tool", "My Tool"}},
        // A service's own sub-groups are looked through.
        {unified("app-org.example.Tool@1a2b.service/worker/inner"), {"org.example.Tool"}},
        // Units that name no application.
        {unified("app.slice/app-org.gnome.Terminal.slice/"
                 "vte-spawn-1e7c9a2b-3d4f-4a5b-8c6d-7e8f9a0b1c2d.scope"),
         {}},
        {unified("vte-spawn-1e7c9a2b-3d4f-4a5b-8c6d-7e8f9a0b1c2d.scope"), {}},
        {unified("dbus-:1.2-org.gnome.Calculator.SearchProvider@0.service"), {}},
        {unified("app-org.kde.konsole-1234.scope/tab-5.scope"), {}},
        {unified("pipewire.service"), {}},
        {unified("application-foo-1.scope"), {}},
        {unified("app-1234.scope"), {}},
        {unified("app-.scope"), {}},
        {unified("app-gnome-foo-1.slice"), {}},
        {"0::/user.slice/user-1000.slice/session-2.scope\n", {}},
        {"0::/init.scope\n", {}},
        {"0::/\n", {}},
        {"", {}},
        // Hybrid hierarchies: only the unified line counts.
        {"12:pids:/user.slice/user-1000.slice/user@1000.service\n"
         "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "app-gnome-org.gnome.Nautilus-2201.scope\n"
         "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "app-org.kde.kate-1.scope",
         {"org.kde.kate"}},
        // Legacy hierarchy alone has no unified line.
        {"1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
         "app-org.kde.kate-1.scope\n",
         {}},
        // A container's view.
        {"4:memory:/process_api/a32cd5c61532baa9e90c68e11afa3368\n0::/\n", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cgroup);
        EXPECT_EQ(applicationIdsOfCgroup(c.cgroup), c.ids);
    }
}

TEST(CgroupUnitName, DecodesOnlyWellFormedEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(firefox\x2desr)", "firefox-esr"}, {R"(\x41\x5c)", "A\\"}, {R"(bad\xZZ)", R"(bad\xZZ)"},
        {R"(cut\x2)", R"(cut\x2)"},           {R"(\\x2d)", "\\-"},    {"", ""},
    };
    for (const auto &[escaped, decoded] : cases) {
        SCOPED_TRACE(escaped);
        EXPECT_EQ(decodeEscapes(escaped), decoded);
    }
}

} // namespace
