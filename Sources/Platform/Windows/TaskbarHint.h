#pragma once

class QWindow;

namespace quorvel::platform {

// Asks the window manager to leave `window` out of taskbars and pagers.
// Call while the window is hidden, before each show: window managers drop the
// hint when a window is withdrawn. Does nothing outside X11.
void keepOffTaskbar(QWindow *window);

} // namespace quorvel::platform
