#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace quorvel::platform {

// Whose window it is, as far as the channel that shows it can tell: X11 and
// most compositors name the process, some only the application (a Wayland
// app id, which is the desktop file ID for well-behaved applications).
struct WindowOwner {
    std::optional<int32_t> pid;
    std::optional<std::string> applicationID;

    bool operator==(const WindowOwner &) const = default;
};

// Quorvel's own windows (the panel) never count as the one in front: known
// by this process, or by Quorvel's app id where the process is not known.
inline bool isOwnWindow(const WindowOwner &owner) {
    return owner.pid == static_cast<int32_t>(::getpid()) ||
           owner.applicationID == "io.quorvel.Quorvel";
}

// Whether a window's app id names the application `applicationID` (a
// desktop file ID): the same, or the same but for ".desktop", or, as many
// applications name their windows, its last dot-separated part in any case
// ("mousepad" for "org.xfce.mousepad").
bool namesApplication(const std::string &appId, const std::string &applicationID);

// The windows of an application instance: its processes, and the identifier
// of its application for channels that do not know processes.
struct InstanceWindows {
    std::vector<int32_t> pids;
    std::string applicationID;
};

// The windows of a session as one channel to the desktop shows them: the X
// server, or a Wayland compositor's own interface. Used on the main thread.
class SessionWindows {
public:
    virtual ~SessionWindows() = default;

    // From now on, follow which window the user activates, on the calling
    // thread's event loop.
    virtual void followActivation() = 0;

    // True while the channel answers (connected, and whatever it needs inside
    // the compositor is in place). When false, the other answers are empty.
    virtual bool isAvailable() = 0;

    // The owner of the last window the user activated that is not this
    // process's own, so opening one of ours does not change the answer.
    // Nothing when that window has closed or none was activated.
    virtual std::optional<WindowOwner> frontWindow() = 0;

    // How many windows the instance has.
    virtual std::size_t countWindows(const InstanceWindows &instance) = 0;

    // Asks each window of the instance to close as its close button would,
    // so the application may ask to save first. The number of windows asked.
    virtual std::size_t closeWindows(const InstanceWindows &instance) = 0;

    // False for a channel that names windows by app id alone: an instance
    // none of whose windows it matched may still have some.
    virtual bool knowsProcesses() const { return true; }
};

} // namespace quorvel::platform
