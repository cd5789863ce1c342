#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

// A throw-away tree of desktop entries and the programs they start, for
// tests that need real files.
class ApplicationsTree {
public:
    // Where the entries of data directory `dataDir` go.
    std::string applications(const std::string &dataDir) const {
        return path(dataDir + "/applications");
    }

    std::string path(const std::string &relative) const {
        return root_.filePath(QString::fromStdString(relative)).toStdString();
    }

    // Writes `content` to `relative`, making directories as needed, through a
    // rename so that a watcher never sees a half-written file.
    std::string write(const std::string &relative, const std::string &content) const {
        const std::filesystem::path target = path(relative);
        std::filesystem::create_directories(target.parent_path());
        const std::filesystem::path partial = target.string() + ".partial";
        std::ofstream(partial, std::ios::binary) << content;
        std::filesystem::rename(partial, target);
        return target.string();
    }

    // An executable file at `relative` that GIO accepts as a program.
    std::string program(const std::string &relative) const {
        const std::string file = write(relative, "#!/bin/sh\n");
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file;
    }

private:
    QTemporaryDir root_;
};

// A desktop entry with the keys every valid application has, plus `more`.
inline std::string desktopEntry(const std::string &name, const std::string &exec,
                                const std::string &more = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + more;
}
