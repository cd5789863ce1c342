#include "Apps/ProgramMatcher.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "Apps/DesktopEntryFile.h"
#include "Apps/LaunchWrappers.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;

std::string lowercase(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value;
}

std::string fileName(const std::string &path) {
    return fs::path(path).filename().string();
}

std::string idTail(const std::string &id) {
    return lowercase(id.substr(id.rfind('.') + 1));
}

// Folders that hold the programs of many packages: a program lying there
// says nothing about its neighbours. Known by their own names, so that a
// prefix (/usr/local, ~/.local) changes nothing.
bool isSharedFolder(const fs::path &folder) {
    static constexpr std::string_view kShared[] = {"",      "bin",   "sbin",  "libexec", "lib",
                                                   "lib64", "lib32", "games", "share",   "opt"};
    const std::string name = folder.filename().string();
    if (std::find(std::begin(kShared), std::end(kShared), name) != std::end(kShared)) return true;
    // Multiarch folders such as /usr/lib/x86_64-linux-gnu.
    return name.find("-linux-") != std::string::npos;
}

std::vector<std::string> ownFolderKeys(const std::string &executable,
                                       const std::vector<std::string> &) {
    if (isLaunchWrapper(fileName(executable))) return {};
    return {fs::path(executable).parent_path().string()};
}

std::vector<std::string> nameKeys(const std::string &executable,
                                  const std::vector<std::string> &arguments) {
    if (isLaunchWrapper(fileName(executable))) return {};
    std::vector<std::string> keys{fileName(executable)};
    if (!arguments.empty() && !arguments.front().empty()) {
        const std::string invoked = fileName(arguments.front());
        if (invoked != keys.front() && !isLaunchWrapper(invoked)) keys.push_back(invoked);
    }
    return keys;
}

std::vector<std::string> foldedNameKeys(const std::string &executable,
                                        const std::vector<std::string> &arguments) {
    std::vector<std::string> keys = nameKeys(executable, arguments);
    for (std::string &key : keys) key = lowercase(std::move(key));
    return keys;
}

// The names of the folders an executable lies below that are named after
// an application: <name> in …/usr/lib/<name>/, …/usr/lib64/<name>/,
// …/opt/<name>/ and …/opt/<vendor>/<name>/, the deepest first.
std::vector<std::string> namedFolderKeys(const std::string &executable,
                                         const std::vector<std::string> &) {
    if (isLaunchWrapper(fileName(executable))) return {};
    const fs::path path(executable);
    const std::vector<std::string> parts(path.begin(), path.end());
    std::vector<std::string> keys;
    // parts.back() is the executable itself, so a name must come before it.
    for (size_t i = 1; i + 2 < parts.size(); ++i) {
        const bool usrLib = (parts[i] == "lib" || parts[i] == "lib64") && parts[i - 1] == "usr";
        if (!usrLib && parts[i] != "opt") continue;
        keys.insert(keys.begin(), lowercase(parts[i + 1]));
        if (parts[i] == "opt" && i + 3 < parts.size())
            keys.insert(keys.begin(), lowercase(parts[i + 2]));
    }
    return keys;
}

std::vector<std::string> scriptKeys(const std::string &executable,
                                    const std::vector<std::string> &arguments) {
    if (!runsScripts(fileName(executable))) return {};
    const std::optional<std::string> script = ProgramMatcher::scriptArgument(arguments);
    if (!script || !fs::path(*script).is_absolute()) return {};
    std::error_code error;
    const fs::path real = fs::canonical(*script, error);
    return {error ? *script : real.string()};
}

} // namespace

const ProgramMatcher::Rule ProgramMatcher::kRules[] = {
    {&ProgramMatcher::programFolders_, ownFolderKeys},
    {&ProgramMatcher::exactNames_, nameKeys},
    {&ProgramMatcher::foldedNames_, foldedNameKeys},
    {&ProgramMatcher::namedFolders_, namedFolderKeys},
    {&ProgramMatcher::scripts_, scriptKeys},
};

void ProgramMatcher::add(const DesktopEntry &entry, std::size_t application) {
    const std::string &id = entry.application.id;
    const auto claimAll = [&](Claims &claims, const std::string &key, const std::string &program,
                              bool isNamedByEntry) {
        if (!key.empty()) claim(claims, key, {application, program, isNamedByEntry, false});
    };
    // An entry without a program of its own (an interpreted one) is told
    // apart from others by its script.
    const std::string anyProgram =
        !entry.programs.empty() ? entry.programs.front().path : entry.script.value_or(id);
    for (const DesktopEntry::Program &program : entry.programs) {
        const fs::path folder = fs::path(program.path).parent_path();
        if (!isSharedFolder(folder))
            claimAll(programFolders_, folder.string(), program.path, program.isNamedByEntry);
        const std::string name = fileName(program.path);
        claimAll(exactNames_, name, program.path, program.isNamedByEntry);
        claimAll(namedFolders_, lowercase(name), program.path, program.isNamedByEntry);
        claimAll(scripts_, program.path, program.path, program.isNamedByEntry);
    }
    claimAll(exactNames_, entry.startupWMClass, anyProgram, true);
    claimAll(foldedNames_, idTail(id), anyProgram, true);
    claimAll(namedFolders_, idTail(id), anyProgram, true);
    if (entry.script) claimAll(scripts_, *entry.script, anyProgram, true);
}

void ProgramMatcher::claim(Claims &claims, const std::string &key, const Claim &claim) {
    const auto [held, isNew] = claims.try_emplace(key, claim);
    if (isNew || held->second.application == claim.application) return;
    // Another entry's: the same program is settled as the index settles it.
    if (held->second.program != claim.program) {
        held->second.isAmbiguous = true;
    } else if (claim.isNamedByEntry && !held->second.isNamedByEntry) {
        held->second = claim;
    }
}

std::optional<std::size_t> ProgramMatcher::match(const std::string &executable,
                                                 const std::vector<std::string> &arguments) const {
    for (const Rule &rule : kRules) {
        const Claims &claims = this->*rule.table;
        if (claims.empty()) continue;
        for (const std::string &key : rule.keys(executable, arguments)) {
            const auto found = claims.find(key);
            if (found == claims.end()) continue;
            if (found->second.isAmbiguous) return std::nullopt;
            return found->second.application;
        }
    }
    return std::nullopt;
}

std::optional<std::string>
ProgramMatcher::scriptArgument(const std::vector<std::string> &arguments) {
    size_t i = 0;
    // Past launchers, their options and env's assignments.
    while (i < arguments.size() &&
           (programKind(fileName(arguments[i])) == ProgramKind::launcher ||
            arguments[i].starts_with('-') || arguments[i].find('=') != std::string::npos)) {
        ++i;
    }
    if (i >= arguments.size() || !runsScripts(fileName(arguments[i]))) return std::nullopt;
    for (++i; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "-c" || argument == "-e" || argument == "-m") return std::nullopt;
        if (argument == "--") continue;
        if (!argument.starts_with('-')) return argument;
    }
    return std::nullopt;
}

} // namespace quorvel::platform
