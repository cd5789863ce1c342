#pragma once

#include <set>
#include <string>
#include <string_view>

#include "Model/AppGroup.h"

// What may never be frozen or restarted: the system's own processes, the
// desktop session the user works in (on GNOME, KDE Plasma, Xfce, MATE,
// Cinnamon, LXQt, LXDE, Budgie and the wlroots compositors) and this
// program. The names, identifiers and executables are kept in one table.
namespace quorvel::ProtectedProcesses {

// The seventeen display names, compared exactly.
const std::set<std::string, std::less<>> &names();

// Whether the desktop file ID names a part of the session or this program:
// exactly, as a family ("org.gnome.Shell" and its sub-identifiers) or by
// prefix ("org.freedesktop.", "com.apple.").
bool isSessionBundleID(std::string_view bundleID);

// Whether a program of that file name (a process's name or the last part of
// its executable's path) is a part of the session: shells, panels, docks,
// bars, window managers and compositors, desktop-icon, settings and
// notification daemons, session managers, X servers, the message buses, the
// sound servers, the desktop portals, or this program.
bool isSessionExecutable(std::string_view fileName);

// Any of the above for a group: its display name, its identifier, or a
// process running a session executable.
bool isProtected(const AppGroup &group);

} // namespace quorvel::ProtectedProcesses
