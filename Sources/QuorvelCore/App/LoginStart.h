#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// "Start at login", as desktop settings apps do it: desktops that follow the
// XDG autostart rules start every entry of $XDG_CONFIG_HOME/autostart at
// login, and Quorvel's is a copy of its installed desktop entry that names
// the installed program by its full path.
namespace LoginStart {

// $XDG_CONFIG_HOME/autostart/io.quorvel.Quorvel.desktop (under ~/.config
// when that is unset or not an absolute path).
QString entryPath();
// Whether the entry is there: the desktop starts it, a link too while it
// leads to a file.
bool isOn();
// Writes the entry whole and atomically, or removes it. A link found at its
// name is replaced or removed itself, never written through. Returns why it
// failed, or an empty text.
QString setOn(bool on);

// The installed entry `installed` with every Exec (and TryExec) naming
// `program`; empty when the path cannot be written into an entry.
QByteArray entryFor(const QByteArray &installed, const QString &program);

} // namespace LoginStart
} // namespace quorvel
