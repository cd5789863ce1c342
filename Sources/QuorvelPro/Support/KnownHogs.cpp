#include "Support/KnownHogs.h"

#include <array>
#include <utility>

namespace quorvel::KnownHogs {

namespace {

// Needles are lowercase; earlier rows win, so identifiers come before the
// looser names of the same product.
constexpr std::array<std::pair<std::string_view, std::string_view>, 28> table{{
    {"com.openai.chat", "ChatGPT"},
    {"chatgpt", "ChatGPT"},
    {"net.whatsapp.whatsapp", "WhatsApp"},
    {"whatsapp", "WhatsApp"},
    {"com.tinyspeck.slackmacgap", "Slack"},
    {"slack", "Slack"},
    {"com.hnc.discord", "Discord"},
    {"discord", "Discord"},
    {"com.google.chrome", "Chrome"},
    {"google chrome", "Chrome"},
    {"chromium", "Chromium"},
    {"com.microsoft.edgemac", "Edge"},
    {"microsoft edge", "Edge"},
    {"org.mozilla.firefox", "Firefox"},
    {"firefox", "Firefox"},
    {"com.microsoft.vscode", "VS Code"},
    {"visual studio code", "VS Code"},
    {"com.todesktop", "Cursor"},
    {"cursor", "Cursor"},
    {"electron", "Electron"},
    {"com.spotify.client", "Spotify"},
    {"spotify", "Spotify"},
    {"com.figma.desktop", "Figma"},
    {"figma", "Figma"},
    {"notion.id", "Notion"},
    {"notion", "Notion"},
    {"com.microsoft.teams2", "Teams"},
    {"microsoft teams", "Teams"},
}};

// Needles are ASCII, so ASCII lowering is all the comparison needs; other
// bytes are kept as they are.
std::string lowercased(std::string text) {
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

} // namespace

std::optional<std::string> match(std::string_view displayName,
                                 const std::optional<std::string> &bundleID) {
    std::string haystack(displayName);
    haystack += ' ';
    if (bundleID) haystack += *bundleID;
    haystack = lowercased(std::move(haystack));
    for (const auto &[needle, label] : table) {
        if (haystack.find(needle) != std::string::npos) return std::string(label);
    }
    return std::nullopt;
}

} // namespace quorvel::KnownHogs
