#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/ApplicationDirectories.h"

namespace {

using quorvel::platform::applicationDirectories;
using quorvel::platform::XdgEnvironment;
using Directories = std::vector<std::string>;

TEST(ApplicationDirectories, FollowTheXdgRulesAndAddTheExports) {
    const std::string flatpak = "/var/lib/flatpak/exports/share/applications";
    const std::string snap = "/var/lib/snapd/desktop/applications";
    struct Case {
        const char *name;
        XdgEnvironment environment;
        Directories directories;
    };
    const std::vector<Case> cases = {
        {"defaults",
         {"/home/ana", std::nullopt, std::nullopt},
         {"/home/ana/.local/share/applications", "/usr/local/share/applications",
          "/usr/share/applications", "/home/ana/.local/share/flatpak/exports/share/applications",
          flatpak, snap}},
        {"empty values mean the defaults",
         {"/home/ana", "", ""},
         {"/home/ana/.local/share/applications", "/usr/local/share/applications",
          "/usr/share/applications", "/home/ana/.local/share/flatpak/exports/share/applications",
          flatpak, snap}},
        {"XDG_DATA_HOME wins over HOME",
         {"/home/ana", "/data/ana", "/opt/share"},
         {"/data/ana/applications", "/opt/share/applications",
          "/data/ana/flatpak/exports/share/applications", flatpak, snap}},
        {"relative paths are ignored",
         {"/home/ana", "data", "share:/opt/share:./x"},
         {"/home/ana/.local/share/applications", "/opt/share/applications",
          "/home/ana/.local/share/flatpak/exports/share/applications", flatpak, snap}},
        {"listed exports keep their place; empty pieces and repeats go",
         {"/home/ana", std::nullopt,
          "/home/ana/.local/share/flatpak/exports/share/::/var/lib/flatpak/exports/share:"
          "/usr/share/:/usr/share:/var/lib/snapd/desktop"},
         {"/home/ana/.local/share/applications",
          "/home/ana/.local/share/flatpak/exports/share/applications", flatpak,
          "/usr/share/applications", snap}},
        {"no home at all",
         {std::nullopt, std::nullopt, "/usr/share"},
         {"/usr/share/applications", flatpak, snap}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(applicationDirectories(c.environment), c.directories);
    }
}

} // namespace
