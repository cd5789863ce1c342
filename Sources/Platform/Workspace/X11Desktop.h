#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Workspace/SessionWindows.h"

namespace quorvel::platform {

// The windows of an X11 (or XWayland) desktop as its window manager
// publishes them. Connects on first use and again after the connection
// broke; every call waits at most `replyTimeout` for the server, and with no
// server there are no windows and nothing is active.
class X11Desktop final : public SessionWindows {
public:
    // `display` as in $DISPLAY; empty means $DISPLAY itself.
    explicit X11Desktop(std::string display = {},
                        std::chrono::milliseconds replyTimeout = std::chrono::milliseconds(500));
    ~X11Desktop() override;
    X11Desktop(const X11Desktop &) = delete;
    X11Desktop &operator=(const X11Desktop &) = delete;

    // From now on, note each window the user activates, as it happens, on
    // the calling thread's event loop (the main thread's). Without it only
    // the activations seen by frontWindowPid() count.
    void followActivation() override;

    // True while the X server answers.
    bool isAvailable() override;

    // The process of the window in front: the last active window that is
    // not this process's own, so opening one of ours does not change the
    // answer. Nothing when that window is gone or names no process.
    std::optional<WindowOwner> frontWindow() override;

    // By the windows' _NET_WM_PID.
    std::size_t countWindows(const InstanceWindows &instance) override;
    std::size_t closeWindows(const InstanceWindows &instance) override;

    // The top-level windows the window manager lists for any of `pids`, in
    // its order.
    std::vector<uint32_t> windowsOfPids(const std::vector<int32_t> &pids);

    // The process that holds the screen's XEmbed tray (the owner of the
    // "_NET_SYSTEM_TRAY_S<screen>" selection), when its window names one.
    std::optional<int32_t> systemTrayOwnerPid();

    // Asks the window manager to close `window` as its close button would.
    // False when the request could not be sent.
    bool closeWindow(uint32_t window);

private:
    struct Connection;

    Connection *connection();

    std::string display_;
    std::chrono::milliseconds replyTimeout_;
    int32_t ownPid_;
    bool following_ = false;
    std::unique_ptr<Connection> connection_;
};

} // namespace quorvel::platform
