#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Apps/ProgramMatcher.h"

namespace quorvel::platform {

struct DesktopEntry;

// The desktop entries installed in a list of applications directories,
// found by the programs they start, by ID and by file. Where directories
// clash over an ID, the earlier one wins; where entries share a program,
// the one whose ID names the program wins, else the first in directory
// order (entries of one directory in order of ID). Immutable once built.
class DesktopEntryIndex {
public:
    DesktopEntryIndex() = default;
    // Each directory's tree as `applicationTree` bounds it. `stopped`, when
    // given, is asked as the build goes and leaves the index incomplete.
    explicit DesktopEntryIndex(const std::vector<std::string> &directories,
                               const std::function<bool()> &stopped = {});

    // `path` is absolute with symlinks resolved, as /proc/<pid>/exe gives it.
    const InstalledApplication *byProgram(const std::string &path) const;
    // A process whose executable no entry starts, by where its executable
    // lies, its name and the script it runs; see ProgramMatcher.
    const InstalledApplication *byLayout(const std::string &executable,
                                         const std::vector<std::string> &arguments) const;
    // `id` is the desktop file ID without ".desktop".
    const InstalledApplication *byId(const std::string &id) const;
    // `path` is where the .desktop file lies, as the entry reports it.
    const InstalledApplication *byFile(const std::string &path) const;

    size_t size() const { return applications_.size(); }

private:
    struct ProgramOwner {
        size_t application;
        bool isNamedByEntry;
    };

    void add(DesktopEntry entry);

    std::vector<InstalledApplication> applications_;
    std::unordered_map<std::string, ProgramOwner> byProgram_;
    std::unordered_map<std::string, size_t> byId_;
    std::unordered_map<std::string, size_t> byFile_;
    ProgramMatcher matcher_;
};

} // namespace quorvel::platform
