#include "Apps/DesktopEntryFile.h"

#include <gio/gdesktopappinfo.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Apps/BoundedFile.h"
#include "Apps/LaunchWrappers.h"

namespace quorvel::platform {
namespace {

// Real entries stay far below this, even with hundreds of translations.
constexpr size_t kEntrySizeLimit = 1024 * 1024;

struct GFree {
    void operator()(void *memory) const { g_free(memory); }
};
struct StrvFree {
    void operator()(char **vector) const { g_strfreev(vector); }
};
struct KeyFileUnref {
    void operator()(GKeyFile *keyFile) const { g_key_file_unref(keyFile); }
};
struct ObjectUnref {
    void operator()(void *object) const { g_object_unref(object); }
};
struct Free {
    void operator()(char *memory) const { std::free(memory); }
};
using GText = std::unique_ptr<char, GFree>;

std::string text(const char *value) {
    return value ? std::string(value) : std::string();
}

std::string lowercase(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value;
}

std::string fileName(const std::string &path) {
    return std::filesystem::path(path).filename().string();
}

bool idNames(const std::string &id, const std::string &program) {
    const std::string lowerId = lowercase(id);
    const std::string lowerProgram = lowercase(program);
    return lowerId == lowerProgram || lowerId.substr(lowerId.rfind('.') + 1) == lowerProgram;
}

// The absolute, symlink-free path of a command as an entry writes it: a
// bare name is looked up in PATH.
std::optional<std::string> resolvedProgram(const std::string &command) {
    const GText found(g_find_program_in_path(command.c_str()));
    if (!found) return std::nullopt;
    const std::unique_ptr<char, Free> real(::realpath(found.get(), nullptr));
    if (!real) return std::nullopt;
    return std::string(real.get());
}

std::vector<DesktopEntry::Program> programsOf(const std::vector<std::string> &commands,
                                              const std::string &id) {
    std::vector<DesktopEntry::Program> programs;
    for (const std::string &command : commands) {
        const std::optional<std::string> path = resolvedProgram(command);
        if (!path) continue;
        const std::string written = fileName(command);
        const std::string real = fileName(*path);
        if (isLaunchWrapper(written) || isLaunchWrapper(real)) continue;
        const bool known = std::any_of(programs.begin(), programs.end(),
                                       [&](const auto &program) { return program.path == *path; });
        if (known) continue;
        programs.push_back({*path, idNames(id, written) || idNames(id, real)});
    }
    return programs;
}

// The program Exec starts, split by GLib's own rules for quoting.
std::optional<std::string> execProgram(const char *exec) {
    char **parsed = nullptr;
    if (exec == nullptr || !g_shell_parse_argv(exec, nullptr, &parsed, nullptr)) {
        return std::nullopt;
    }
    const std::unique_ptr<char *, StrvFree> argv(parsed);
    return std::string(argv.get()[0]);
}

} // namespace

DesktopEntryFile DesktopEntryFile::read(const std::string &path, const std::string &id) {
    const std::optional<std::string> content = readBoundedFile(path, kEntrySizeLimit);
    if (!content) return {};
    const std::unique_ptr<GKeyFile, KeyFileUnref> keyFile(g_key_file_new());
    if (!g_key_file_load_from_data(keyFile.get(), content->data(), content->size(), G_KEY_FILE_NONE,
                                   nullptr)) {
        return {};
    }
    // GIO turns away other types, missing programs and Exec lines it cannot split.
    const std::unique_ptr<GDesktopAppInfo, ObjectUnref> info(
        g_desktop_app_info_new_from_keyfile(keyFile.get()));
    if (!info) return {};

    DesktopEntryFile file{.takesId = true, .entry = std::nullopt};
    if (g_desktop_app_info_get_is_hidden(info.get()) ||
        g_desktop_app_info_get_nodisplay(info.get()) ||
        g_desktop_app_info_get_boolean(info.get(), "Terminal")) {
        return file;
    }
    // GIO makes up a name where Name is missing or not UTF-8; such an entry is broken.
    const GText name(g_key_file_get_locale_string(keyFile.get(), G_KEY_FILE_DESKTOP_GROUP,
                                                  G_KEY_FILE_DESKTOP_KEY_NAME, nullptr, nullptr));
    const std::optional<std::string> exec =
        execProgram(g_app_info_get_commandline(G_APP_INFO(info.get())));
    if (!name || *name == '\0' || !exec) return file;

    std::vector<std::string> commands;
    const GText tryExec(g_desktop_app_info_get_string(info.get(), G_KEY_FILE_DESKTOP_KEY_TRY_EXEC));
    if (tryExec && *tryExec != '\0') commands.emplace_back(tryExec.get());
    commands.push_back(*exec);

    const GText icon(g_desktop_app_info_get_string(info.get(), G_KEY_FILE_DESKTOP_KEY_ICON));
    InstalledApplication application{path, id, text(g_app_info_get_name(G_APP_INFO(info.get()))),
                                     text(icon.get())};
    file.entry = DesktopEntry{std::move(application), programsOf(commands, id)};
    return file;
}

} // namespace quorvel::platform
