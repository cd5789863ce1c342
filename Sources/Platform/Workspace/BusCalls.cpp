#include "Workspace/BusCalls.h"

#include <QDBusMessage>

#include <algorithm>
#include <limits>

namespace quorvel::platform {

int millisecondsLeft(const QDeadlineTimer &deadline) {
    return static_cast<int>(
        std::clamp<qint64>(deadline.remainingTime(), 1, std::numeric_limits<int>::max()));
}

namespace {

QDBusMessage askBus(const QDBusConnection &bus, const QString &method, const QString &name,
                    const QDeadlineTimer &deadline) {
    const QString daemon = QStringLiteral("org.freedesktop.DBus");
    QDBusMessage question = QDBusMessage::createMethodCall(
        daemon, QStringLiteral("/org/freedesktop/DBus"), daemon, method);
    question << name;
    // An unowned name is an error reply, which the bus sends at once.
    return bus.call(question, QDBus::Block, millisecondsLeft(deadline));
}

} // namespace

QString busNameOwner(const QDBusConnection &bus, const QString &name,
                     const QDeadlineTimer &deadline) {
    const QDBusMessage answer = askBus(bus, QStringLiteral("GetNameOwner"), name, deadline);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.signature() != QLatin1String("s"))
        return {};
    return answer.arguments().constFirst().toString();
}

std::optional<int32_t> busNamePid(const QDBusConnection &bus, const QString &name,
                                  const QDeadlineTimer &deadline) {
    const QDBusMessage answer =
        askBus(bus, QStringLiteral("GetConnectionUnixProcessID"), name, deadline);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1)
        return std::nullopt;
    bool isNumber = false;
    const uint pid = answer.arguments().constFirst().toUInt(&isNumber);
    if (!isNumber || pid == 0 || pid > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(pid);
}

} // namespace quorvel::platform
