#pragma once

#include "Workspace/SessionWindows.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace quorvel::platform {

// The windows of a wlroots compositor (Hyprland, labwc, Wayfire, sway...) as
// its foreign-toplevel list shows them, read on a Wayland connection of our
// own. The list names no processes, so windows are matched by app id.
// Connects on first use and again after the compositor went away; every call
// waits at most about 500 ms for the compositor.
class WlrToplevelWindows final : public SessionWindows {
public:
    // `waylandDisplay` as in $WAYLAND_DISPLAY: a socket name under
    // $XDG_RUNTIME_DIR, or an absolute path. Empty means "wayland-0".
    explicit WlrToplevelWindows(std::string waylandDisplay);
    ~WlrToplevelWindows() override;
    WlrToplevelWindows(const WlrToplevelWindows &) = delete;
    WlrToplevelWindows &operator=(const WlrToplevelWindows &) = delete;

    void followActivation() override;
    bool isAvailable() override;
    std::optional<WindowOwner> frontWindow() override;
    std::size_t countWindows(const InstanceWindows &instance) override;
    std::size_t closeWindows(const InstanceWindows &instance) override;
    bool knowsProcesses() const override { return false; }

private:
    struct Connection;

    // The live connection, (re)connecting when there is none; nothing when
    // the compositor is absent, silent or lacks the toplevel list.
    Connection *connection(std::chrono::steady_clock::time_point deadline);

    std::string display_;
    bool following_ = false;
    std::unique_ptr<Connection> connection_;
};

} // namespace quorvel::platform
