#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Support/KnownHogs.h"

namespace quorvel {
namespace {

using Id = std::optional<std::string>;

TEST(KnownHogs, EveryRowMatchesItsOwnNeedleInAnyCase) {
    const std::pair<const char *, const char *> rows[] = {
        {"COM.OPENAI.CHAT", "ChatGPT"},
        {"ChatGPT", "ChatGPT"},
        {"Net.WhatsApp.WhatsApp", "WhatsApp"},
        {"WhatsApp", "WhatsApp"},
        {"com.tinyspeck.slackmacgap", "Slack"},
        {"Slack", "Slack"},
        {"com.hnc.Discord", "Discord"},
        {"Discord", "Discord"},
        {"com.google.Chrome", "Chrome"},
        {"Google Chrome", "Chrome"},
        {"Chromium", "Chromium"},
        {"com.microsoft.edgemac", "Edge"},
        {"Microsoft Edge", "Edge"},
        {"org.mozilla.firefox", "Firefox"},
        {"Firefox", "Firefox"},
        {"com.microsoft.VSCode", "VS Code"},
        {"Visual Studio Code", "VS Code"},
        {"com.todesktop", "Cursor"},
        {"Cursor", "Cursor"},
        {"Electron", "Electron"},
        {"com.spotify.client", "Spotify"},
        {"Spotify", "Spotify"},
        {"com.figma.Desktop", "Figma"},
        {"Figma", "Figma"},
        {"notion.id", "Notion"},
        {"Notion", "Notion"},
        {"com.microsoft.teams2", "Teams"},
        {"Microsoft Teams", "Teams"},
    };
    for (const auto &[text, label] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(KnownHogs::match(text, std::nullopt), label);
        EXPECT_EQ(KnownHogs::match("App", Id(text)), label);
    }
}

TEST(KnownHogs, TheEarliestRowWinsAndNameAndIdAreOneText) {
    struct Case {
        const char *name;
        Id id;
        std::optional<std::string> label;
    };
    const Case cases[] = {
        {"Google Chrome", "com.google.Chrome", "Chrome"},
        {"Editor", "com.todesktop.230313mzl4w4u92", "Cursor"},
        {"Discord Electron Helper", std::nullopt, "Discord"},
        {"Electron", "org.chromium.Chromium", "Chromium"},
        {"Code", "com.microsoft.VSCode", "VS Code"},
        {"slack-desktop", std::nullopt, "Slack"},
        {"Notes", "org.example.Notes", std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"", "", std::nullopt},
        // The blank between name and id is part of the text searched.
        {"Google", "Chrome", "Chrome"},
        {"Slac", "k", std::nullopt},
        {"\xff\xfe slack", std::nullopt, "Slack"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " / " << c.id.value_or("(none)"));
        EXPECT_EQ(KnownHogs::match(c.name, c.id), c.label);
    }
}

} // namespace
} // namespace quorvel
