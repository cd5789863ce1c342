#include "Workspace/ApplicationQuitAction.h"

#include "Workspace/BusCalls.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>

#include <algorithm>

namespace quorvel::platform {
namespace {

// Every call waits at most this long: the bus answers at once, and an
// application that does not is not one to wait for.
constexpr int kCallTimeoutMs = 500;
const QString kActions = QStringLiteral("org.gtk.Actions");

// GApplication exports its actions at its ID spelt as a path.
QString actionsPath(const QString &name) {
    QString path = QLatin1Char('/') + name;
    path.replace(QLatin1Char('.'), QLatin1Char('/')).replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

} // namespace

ApplicationQuitAction::ApplicationQuitAction(QDBusConnection bus)
    : bus_(std::move(bus)) {}

bool ApplicationQuitAction::activate(const std::vector<int32_t> &pids) {
    if (pids.empty() || !bus_.isConnected()) return false;
    const QString busName = QStringLiteral("org.freedesktop.DBus");
    const QDBusMessage names =
        bus_.call(QDBusMessage::createMethodCall(busName, QStringLiteral("/org/freedesktop/DBus"),
                                                 busName, QStringLiteral("ListNames")),
                  QDBus::Block, kCallTimeoutMs);
    if (names.type() != QDBusMessage::ReplyMessage || names.arguments().isEmpty()) return false;

    for (const QString &name : names.arguments().constFirst().toStringList()) {
        if (name.startsWith(QLatin1Char(':')) || name == busName) continue;
        const std::optional<int32_t> pid = busNamePid(bus_, name, QDeadlineTimer(kCallTimeoutMs));
        if (!pid || std::ranges::find(pids, *pid) == pids.end()) continue;

        QDBusMessage describe = QDBusMessage::createMethodCall(name, actionsPath(name), kActions,
                                                               QStringLiteral("Describe"));
        describe << QStringLiteral("quit");
        const QDBusMessage description = bus_.call(describe, QDBus::Block, kCallTimeoutMs);
        // (bgav): whether it is enabled comes first.
        if (description.type() != QDBusMessage::ReplyMessage ||
            description.signature() != QStringLiteral("(bgav)"))
            continue;
        const QDBusArgument fields = description.arguments().constFirst().value<QDBusArgument>();
        bool enabled = false;
        fields.beginStructure();
        fields >> enabled;
        if (!enabled) continue;

        QDBusMessage quit = QDBusMessage::createMethodCall(name, actionsPath(name), kActions,
                                                           QStringLiteral("Activate"));
        QDBusArgument noParameter;
        noParameter.beginArray(qMetaTypeId<QDBusVariant>());
        noParameter.endArray();
        quit << QStringLiteral("quit") << QVariant::fromValue(noParameter) << QVariantMap{};
        if (bus_.send(quit)) return true;
    }
    return false;
}

} // namespace quorvel::platform
