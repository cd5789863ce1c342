#pragma once

#include <memory>

#include "Workspace/SessionWindows.h"

namespace quorvel::platform {

// The channels through which Quorvel sees a session's windows.
struct WindowChannels {
    // Shows which window is in front: the X server on an X11 session, the
    // compositor's own channel on Wayland. Null on a Wayland desktop that
    // Quorvel has no channel to.
    std::unique_ptr<SessionWindows> front;
    // Shows windows the front channel may not: XWayland's, on a Wayland
    // session. May be null.
    std::unique_ptr<SessionWindows> more;
    // On an X11 session every window is the X server's to show, so no window
    // in front means none, even with no server to ask; on Wayland it means
    // nothing unless the front channel answers.
    bool x11Session = true;
    // The front channel is an extension the user switches on in the shell.
    bool frontNeedsShellExtension = false;
};

} // namespace quorvel::platform
