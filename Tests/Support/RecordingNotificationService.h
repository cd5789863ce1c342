#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace quorvel::testing {

// A desktop notification service that keeps every notification it is sent,
// claiming org.freedesktop.Notifications on `connection`.
class RecordingNotificationService final : public QDBusVirtualObject {
public:
    struct Received {
        uint id = 0;
        QString appName;
        uint replacesID = 0;
        QString appIcon;
        QString title;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
    };

    RecordingNotificationService(QDBusConnection connection, QStringList capabilities)
        : connection_(std::move(connection))
        , capabilities_(std::move(capabilities)) {
        registered_ = connection_.registerVirtualObject(path(), this) &&
                      connection_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~RecordingNotificationService() override { connection_.unregisterObject(path()); }

    bool registered() const { return registered_; }
    const std::vector<Received> &received() const { return received_; }

    // As if the user picked `actionKey` on notification `id`.
    void invoke(uint id, const QString &actionKey) {
        QDBusMessage signal =
            QDBusMessage::createSignal(path(), interface(), QStringLiteral("ActionInvoked"));
        signal << id << actionKey;
        connection_.send(signal);
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.interface() != interface()) return false;
        if (message.member() == QLatin1String("GetCapabilities")) {
            return connection.send(message.createReply(QVariant(capabilities_)));
        }
        if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8)
            return false;
        const QList<QVariant> a = message.arguments();
        Received received{uint(received_.size() + 1),
                          a[0].toString(),
                          a[1].toUInt(),
                          a[2].toString(),
                          a[3].toString(),
                          a[4].toString(),
                          a[5].toStringList(),
                          qdbus_cast<QVariantMap>(a[6]),
                          a[7].toInt()};
        received_.push_back(received);
        return connection.send(message.createReply(QVariant(received.id)));
    }

private:
    static QString path() { return QStringLiteral("/org/freedesktop/Notifications"); }
    static QString interface() { return QStringLiteral("org.freedesktop.Notifications"); }

    QDBusConnection connection_;
    QStringList capabilities_;
    bool registered_ = false;
    std::vector<Received> received_;
};

} // namespace quorvel::testing
