#pragma once

#include <QDBusConnection>

#include <chrono>
#include <memory>
#include <optional>

#include "Workspace/TrayHosts.h"
#include "Workspace/X11Desktop.h"

namespace quorvel::platform {

// The tray hosts of a Linux session: the owner of the StatusNotifierWatcher
// on the session bus, and the owner of the screen's XEmbed tray selection
// on X11. Both are asked when a caller wants them and the last answer is
// older than `refresh`, each waiting at most a short while; a panel that
// was restarted is seen at the next refresh.
class SessionTrayHosts final : public TrayHosts {
public:
    static constexpr std::chrono::seconds kRefresh{5};
    static constexpr std::chrono::milliseconds kBusTimeout{250};

    // Without `bus`, the session bus is asked, connected on first use.
    explicit SessionTrayHosts(std::optional<QDBusConnection> bus = std::nullopt,
                              std::unique_ptr<X11Desktop> desktop = std::make_unique<X11Desktop>(),
                              std::chrono::milliseconds refresh = kRefresh);

    std::vector<int32_t> pids() override;

private:
    using Clock = std::chrono::steady_clock;

    std::optional<int32_t> statusNotifierWatcherPid();

    std::optional<QDBusConnection> bus_;
    std::unique_ptr<X11Desktop> desktop_;
    std::chrono::milliseconds refresh_;
    std::optional<Clock::time_point> askedAt_;
    std::vector<int32_t> pids_;
};

} // namespace quorvel::platform
