#include "Workspace/SessionTrayHosts.h"

#include <QDBusMessage>

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
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    question << QStringLiteral("org.kde.StatusNotifierWatcher");
    // An unowned name is an error reply, which comes at once.
    const QDBusMessage answer =
        bus_->call(question, QDBus::Block, static_cast<int>(kBusTimeout.count()));
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1)
        return std::nullopt;
    bool isNumber = false;
    const uint pid = answer.arguments().constFirst().toUInt(&isNumber);
    if (!isNumber || pid == 0 || pid > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(pid);
}

} // namespace quorvel::platform
