#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/LaunchWrappers.h"

namespace {

using quorvel::platform::isLaunchWrapper;

TEST(LaunchWrappers, AreKnownByNameWhateverTheirVersion) {
    const std::vector<std::string> wrappers = {
        "env",        "sh",         "bash",    "dash", "zsh",  "flatpak", "snap",  "python3",
        "python3.11", "perl5.36.0", "ruby3.1", "node", "java", "gjs",     "lua5.4"};
    for (const std::string &name : wrappers) {
        EXPECT_TRUE(isLaunchWrapper(name)) << name;
    }
    const std::vector<std::string> programs = {"firefox-esr", "nautilus", "pythonista", "bashtop",
                                               "x264",        "7",        "",           "envy"};
    for (const std::string &name : programs) {
        EXPECT_FALSE(isLaunchWrapper(name)) << name;
    }
}

} // namespace
