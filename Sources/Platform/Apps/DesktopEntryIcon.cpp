#include "Apps/DesktopEntryIcon.h"

#include <glib.h>

#include <memory>

namespace quorvel::platform {

std::string desktopEntryIcon(const std::string &path) {
    const std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(),
                                                                     &g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return {};
    const std::unique_ptr<gchar, decltype(&g_free)> icon(
        g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_ICON,
                              nullptr),
        &g_free);
    if (!icon) return {};
    std::string result(icon.get());
    // Surrounding blanks are the file's formatting, not part of the name.
    const auto first = result.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    result.erase(0, first);
    result.erase(result.find_last_not_of(" \t") + 1);
    return result;
}

} // namespace quorvel::platform
