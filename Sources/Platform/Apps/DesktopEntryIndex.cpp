#include "Apps/DesktopEntryIndex.h"

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <unordered_set>
#include <utility>

#include "Apps/ApplicationTree.h"
#include "Apps/DesktopEntryFile.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;

struct DesktopFile {
    std::string id;
    std::string path;

    bool operator<(const DesktopFile &other) const {
        return std::tie(id, path) < std::tie(other.id, other.path);
    }
};

// Every .desktop file in the tree of `directory`, with its desktop file ID:
// the path below the directory with '/' turned into '-', here without
// ".desktop".
std::vector<DesktopFile> desktopFilesIn(const std::string &directory,
                                        const std::function<bool()> &stopped) {
    constexpr std::string_view kSuffix = ".desktop";
    std::vector<DesktopFile> files;
    for (const std::string &subdirectory : applicationTree(directory, stopped)) {
        std::error_code error;
        fs::directory_iterator entries(subdirectory, fs::directory_options::skip_permission_denied,
                                       error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            std::string relative = entries->path().lexically_relative(directory).generic_string();
            if (relative.size() <= kSuffix.size() || !relative.ends_with(kSuffix)) continue;
            relative.resize(relative.size() - kSuffix.size());
            std::replace(relative.begin(), relative.end(), '/', '-');
            files.push_back({std::move(relative), entries->path().string()});
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

const InstalledApplication *lookUp(const std::unordered_map<std::string, size_t> &map,
                                   const std::string &key,
                                   const std::vector<InstalledApplication> &applications) {
    const auto found = map.find(key);
    return found == map.end() ? nullptr : &applications[found->second];
}

} // namespace

DesktopEntryIndex::DesktopEntryIndex(const std::vector<std::string> &directories,
                                     const std::function<bool()> &stopped) {
    std::unordered_set<std::string> takenIds;
    for (const std::string &directory : directories) {
        for (const DesktopFile &file : desktopFilesIn(directory, stopped)) {
            if (stopped && stopped()) return;
            if (takenIds.contains(file.id)) continue;
            DesktopEntryFile read = DesktopEntryFile::read(file.path, file.id);
            if (read.takesId) takenIds.insert(file.id);
            if (read.entry) add(std::move(*read.entry));
        }
    }
}

void DesktopEntryIndex::add(DesktopEntry entry) {
    const size_t index = applications_.size();
    byId_.emplace(entry.application.id, index);
    byFile_.emplace(entry.application.path, index);
    for (const DesktopEntry::Program &program : entry.programs) {
        const auto [owner, isNew] =
            byProgram_.try_emplace(program.path, ProgramOwner{index, program.isNamedByEntry});
        if (!isNew && program.isNamedByEntry && !owner->second.isNamedByEntry) {
            owner->second = {index, true};
        }
    }
    matcher_.add(entry, index);
    applications_.push_back(std::move(entry.application));
}

const InstalledApplication *
DesktopEntryIndex::byLayout(const std::string &executable,
                            const std::vector<std::string> &arguments) const {
    const std::optional<size_t> found = matcher_.match(executable, arguments);
    return found ? &applications_[*found] : nullptr;
}

const InstalledApplication *DesktopEntryIndex::byProgram(const std::string &path) const {
    const auto found = byProgram_.find(path);
    return found == byProgram_.end() ? nullptr : &applications_[found->second.application];
}

const InstalledApplication *DesktopEntryIndex::byId(const std::string &id) const {
    return lookUp(byId_, id, applications_);
}

const InstalledApplication *DesktopEntryIndex::byFile(const std::string &path) const {
    return lookUp(byFile_, path, applications_);
}

} // namespace quorvel::platform
