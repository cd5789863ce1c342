#pragma once

#include <set>
#include <string>
#include <string_view>

#include "Model/AppGroup.h"

// What may never be frozen or restarted: the system's own processes, the
// desktop session the user works in, and this program.
namespace quorvel::ProtectedProcesses {

// The seventeen display names, compared exactly.
const std::set<std::string, std::less<>> &names();

// Identifiers of the desktop session's own applications: "org.gnome.Shell"
// and its sub-identifiers, the GNOME settings daemons, the Plasma shell,
// KWin, the KDE session manager, anything under "org.freedesktop." and this
// program.
bool isSessionBundleID(std::string_view bundleID);

// Whether a program of that file name (a process's name or the last part of
// its executable's path) keeps the session alive: shells, compositors, X
// servers, session managers, the message buses, the sound servers, the
// desktop portals and this program.
bool isSessionExecutable(std::string_view fileName);

// Any of the above for a group: its display name, an identifier beginning
// with "com.apple.", a session identifier, or a process running a session
// executable.
bool isProtected(const AppGroup &group);

} // namespace quorvel::ProtectedProcesses
