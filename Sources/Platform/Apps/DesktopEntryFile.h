#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Apps/ApplicationResolver.h"

namespace quorvel::platform {

// A desktop entry that counts as an application, as read from its file.
struct DesktopEntry {
    // A program the entry starts, by its absolute path with symlinks resolved.
    struct Program {
        std::string path;
        bool isNamedByEntry =
            false; // the entry's ID names it, as "org.gnome.Nautilus" names "nautilus"
    };

    InstalledApplication application;
    std::vector<Program> programs; // from TryExec and Exec; launch wrappers left out
    std::string startupWMClass;    // empty when it declares none
    // The script an interpreter or shell in Exec runs, absolute with symlinks
    // resolved ("Exec=python3 /usr/share/app/app.py").
    std::optional<std::string> script;
};

// What one desktop file holds.
struct DesktopEntryFile {
    // Whether it is an application entry at all. Only then does it take its
    // ID, so that a broken copy in one directory does not hide a sound one
    // in a later directory, while a Hidden one does, as it is meant to.
    bool takesId = false;
    // Present when the entry counts: it is shown (neither Hidden nor
    // NoDisplay), runs outside a terminal and has a Name and an Exec.
    std::optional<DesktopEntry> entry;

    // Reads the file at `path` whose desktop file ID, without ".desktop",
    // is `id`. Unreadable, oversized and malformed files take nothing.
    static DesktopEntryFile read(const std::string &path, const std::string &id);
};

} // namespace quorvel::platform
