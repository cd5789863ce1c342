#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvel::platform {

struct DesktopEntry;

// Finds the application of a process whose executable is none of the
// programs entries start: browsers behind wrapper scripts, helpers beside
// the binary, interpreted programs. The rules are tried in order and the
// first that finds something decides, provided the answer is unique:
// entries that claim a process through the same program are settled as the
// program index settles them, entries with different programs make the
// answer nothing.
class ProgramMatcher {
public:
    // `application` is the entry's place in the index.
    void add(const DesktopEntry &entry, std::size_t application);

    // The application of a process running `executable` (absolute, symlinks
    // resolved) with the command line `arguments`.
    std::optional<std::size_t> match(const std::string &executable,
                                     const std::vector<std::string> &arguments) const;

    // The script that the interpreter or shell of a command line runs, as
    // written: what follows the interpreter's options, past launchers such
    // as env. Nothing for inline code (-c, -e, -m).
    static std::optional<std::string> scriptArgument(const std::vector<std::string> &arguments);

private:
    struct Claim {
        std::size_t application;
        std::string program;
        bool isNamedByEntry;
        bool isAmbiguous;
    };
    using Claims = std::unordered_map<std::string, Claim>;
    // Where a rule looks: its table and the keys a process gives it.
    struct Rule {
        Claims ProgramMatcher::*table;
        std::vector<std::string> (*keys)(const std::string &executable,
                                         const std::vector<std::string> &arguments);
    };

    static void claim(Claims &claims, const std::string &key, const Claim &claim);
    static const Rule kRules[];

    Claims programFolders_; // the folder of each program, unless shared
    Claims exactNames_;     // program file names and StartupWMClass
    Claims foldedNames_;    // last part of the ID, lowercase
    Claims namedFolders_;   // last part of the ID and program file names, lowercase
    Claims scripts_;        // scripts Exec runs, and programs that are scripts
};

} // namespace quorvel::platform
