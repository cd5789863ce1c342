#include "Workspace/BusCalls.h"

#include <QDBusMessage>

#include <algorithm>
#include <limits>

namespace quorvel::platform {

int millisecondsLeft(const QDeadlineTimer &deadline) {
    return static_cast<int>(
        std::clamp<qint64>(deadline.remainingTime(), 1, std::numeric_limits<int>::max()));
}

QString busNameOwner(const QDBusConnection &bus, const QString &name,
                     const QDeadlineTimer &deadline) {
    const QString daemon = QStringLiteral("org.freedesktop.DBus");
    QDBusMessage question = QDBusMessage::createMethodCall(
        daemon, QStringLiteral("/org/freedesktop/DBus"), daemon, QStringLiteral("GetNameOwner"));
    question << name;
    // An unowned name is an error reply, which the bus sends at once.
    const QDBusMessage answer = bus.call(question, QDBus::Block, millisecondsLeft(deadline));
    if (answer.type() != QDBusMessage::ReplyMessage || answer.signature() != QLatin1String("s"))
        return {};
    return answer.arguments().constFirst().toString();
}

} // namespace quorvel::platform
