#include "Apps/DesktopEntryFile.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "Apps/BoundedFile.h"
#include "Apps/LaunchWrappers.h"
#include "Apps/ProgramMatcher.h"

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

// The command line of Exec, split by GLib's own rules for quoting.
std::optional<std::vector<std::string>> execArguments(const char *exec) {
    char **parsed = nullptr;
    if (exec == nullptr || !g_shell_parse_argv(exec, nullptr, &parsed, nullptr)) {
        return std::nullopt;
    }
    const std::unique_ptr<char *, StrvFree> argv(parsed);
    std::vector<std::string> arguments;
    for (char **argument = argv.get(); *argument != nullptr; ++argument)
        arguments.emplace_back(*argument);
    return arguments;
}

std::optional<std::string> execProgram(const char *exec) {
    std::optional<std::vector<std::string>> arguments = execArguments(exec);
    if (!arguments) return std::nullopt;
    return std::move(arguments->front());
}

// The script an interpreter in Exec runs, found as the interpreter would
// find it.
std::optional<std::string> execScript(const std::vector<std::string> &arguments) {
    const std::optional<std::string> script = ProgramMatcher::scriptArgument(arguments);
    if (!script || !std::filesystem::path(*script).is_absolute()) return std::nullopt;
    const std::unique_ptr<char, Free> real(::realpath(script->c_str(), nullptr));
    if (!real) return std::nullopt;
    return std::string(real.get());
}

bool isTerminalEmulator(GKeyFile *keyFile) {
    const std::unique_ptr<char *, StrvFree> categories(g_key_file_get_string_list(
        keyFile, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_CATEGORIES, nullptr, nullptr));
    if (!categories) return false;
    for (char **category = categories.get(); *category != nullptr; ++category) {
        if (std::string_view(*category) == "TerminalEmulator") return true;
    }
    return false;
}

GText desktopString(GKeyFile *keyFile, const char *key) {
    return GText(g_key_file_get_string(keyFile, G_KEY_FILE_DESKTOP_GROUP, key, nullptr));
}

bool desktopFlag(GKeyFile *keyFile, const char *key) {
    return g_key_file_get_boolean(keyFile, G_KEY_FILE_DESKTOP_GROUP, key, nullptr) != FALSE;
}

bool findsProgram(const char *command) {
    return GText(g_find_program_in_path(command)) != nullptr;
}

// GIO's rules for an application entry, checked here because every GIO
// desktop-entry call first scans all applications directories itself,
// following links without bound (one leading to "/" walks the whole file
// system): the desktop group comes first, Type is Application, and TryExec
// and the program of a non-empty Exec are found.
bool isApplicationEntry(GKeyFile *keyFile) {
    const GText startGroup(g_key_file_get_start_group(keyFile));
    if (!startGroup || std::string_view(startGroup.get()) != G_KEY_FILE_DESKTOP_GROUP) return false;
    const GText type = desktopString(keyFile, G_KEY_FILE_DESKTOP_KEY_TYPE);
    if (!type || std::string_view(type.get()) != G_KEY_FILE_DESKTOP_TYPE_APPLICATION) return false;
    const GText tryExec = desktopString(keyFile, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC);
    if (tryExec && *tryExec != '\0' && !findsProgram(tryExec.get())) return false;
    const GText exec = desktopString(keyFile, G_KEY_FILE_DESKTOP_KEY_EXEC);
    if (!exec || *exec == '\0') return true;
    const std::optional<std::string> program = execProgram(exec.get());
    return program && findsProgram(program->c_str());
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
    if (!isApplicationEntry(keyFile.get())) return {};

    DesktopEntryFile file{.takesId = true, .entry = std::nullopt};
    if (desktopFlag(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN) ||
        desktopFlag(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY) ||
        desktopFlag(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_TERMINAL)) {
        return file;
    }
    // A Name that is missing or not UTF-8 makes the entry broken.
    const GText name(g_key_file_get_locale_string(keyFile.get(), G_KEY_FILE_DESKTOP_GROUP,
                                                  G_KEY_FILE_DESKTOP_KEY_NAME, nullptr, nullptr));
    const GText execLine = desktopString(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_EXEC);
    const std::optional<std::vector<std::string>> execLineArguments = execArguments(execLine.get());
    if (!name || *name == '\0' || !execLineArguments) return file;
    const std::string &exec = execLineArguments->front();

    std::vector<std::string> commands;
    const GText tryExec = desktopString(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_TRY_EXEC);
    if (tryExec && *tryExec != '\0') commands.emplace_back(tryExec.get());
    commands.push_back(exec);

    const GText icon = desktopString(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_ICON);
    const GText windowClass = desktopString(keyFile.get(), G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS);
    InstalledApplication application{path, id, name.get(), text(icon.get()),
                                     isTerminalEmulator(keyFile.get())};
    file.entry = DesktopEntry{std::move(application), programsOf(commands, id),
                              text(windowClass.get()), execScript(*execLineArguments)};
    return file;
}

} // namespace quorvel::platform
