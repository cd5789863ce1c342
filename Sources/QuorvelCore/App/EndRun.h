#pragma once

#include <QCoreApplication>

namespace quorvel {

// Ends the run, whatever windows are open. QGuiApplication::quit() first asks
// every window to close and gives up when one refuses; the panel refuses (it
// only ever hides), so a quit through it would leave Quorvel running.
inline void endRun() {
    QCoreApplication::exit(0);
}

} // namespace quorvel
