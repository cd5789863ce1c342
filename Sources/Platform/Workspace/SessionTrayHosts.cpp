#include "Workspace/SessionTrayHosts.h"

#include "Workspace/BusCalls.h"

namespace quorvel::platform {

SessionTrayHosts::SessionTrayHosts(std::optional<QDBusConnection> bus,
                                   std::unique_ptr<X11Desktop> desktop,
                                   std::chrono::milliseconds refresh)
    : bus_(std::move(bus))
    , desktop_(std::move(desktop))
    , refresh_(refresh) {}

std::vector<int32_t> SessionTrayHosts::pids() {
    const Clock::time_point now = Clock::now();
    if (askedAt_ && now - *askedAt_ < refresh_) return pids_;
    pids_.clear();
    if (const std::optional<int32_t> watcher = statusNotifierWatcherPid())
        pids_.push_back(*watcher);
    if (const std::optional<int32_t> xembed =
            desktop_ ? desktop_->systemTrayOwnerPid() : std::nullopt)
        pids_.push_back(*xembed);
    askedAt_ = Clock::now();
    return pids_;
}

std::optional<int32_t> SessionTrayHosts::statusNotifierWatcherPid() {
    if (!bus_) bus_ = QDBusConnection::sessionBus();
    if (!bus_->isConnected()) return std::nullopt;
    return busNamePid(*bus_, QStringLiteral("org.kde.StatusNotifierWatcher"),
                      QDeadlineTimer(kBusTimeout));
}

} // namespace quorvel::platform
