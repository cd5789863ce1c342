#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>

#include <map>
#include <string>
#include <vector>

// A D-Bus daemon of the test's own, with a stand-in for the user's systemd
// instance on it that records every StartTransientUnit call and answers it
// as systemd would.
class FakeSystemd final : public QDBusVirtualObject {
public:
    struct TransientUnit {
        QString name;
        QString mode;
        QString description;
        QList<uint> pids;
    };

    FakeSystemd() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted(10000)) return;
        while (!address_.endsWith('\n') && daemon_.waitForReadyRead(20000)) {
            address_ += daemon_.readAllStandardOutput();
        }
        address_ = address_.trimmed();
        QDBusConnection service = serviceConnection();
        ready_ = service.isConnected() &&
                 service.registerService(QStringLiteral("org.freedesktop.systemd1")) &&
                 service.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), this);
    }

    ~FakeSystemd() override {
        QDBusConnection::disconnectFromBus(kClientName);
        QDBusConnection::disconnectFromBus(kServiceName);
        daemon_.terminate();
        if (!daemon_.waitForFinished(10000)) daemon_.kill();
        daemon_.waitForFinished(10000);
    }

    bool ready() const { return ready_; }
    const std::vector<TransientUnit> &units() const { return units_; }

    // A connection of a client of the bus, apart from the service's own.
    QDBusConnection clientConnection() const {
        return QDBusConnection::connectToBus(QString::fromUtf8(address_), kClientName);
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.member() != QStringLiteral("StartTransientUnit") ||
            message.signature() != QStringLiteral("ssa(sv)a(sa(sv))")) {
            return false;
        }
        TransientUnit unit;
        unit.name = message.arguments().at(0).toString();
        unit.mode = message.arguments().at(1).toString();
        const QDBusArgument properties = message.arguments().at(2).value<QDBusArgument>();
        properties.beginArray();
        while (!properties.atEnd()) {
            QString name;
            QDBusVariant value;
            properties.beginStructure();
            properties >> name >> value;
            properties.endStructure();
            if (name == QStringLiteral("Description"))
                unit.description = value.variant().toString();
            if (name == QStringLiteral("PIDs")) {
                unit.pids = qdbus_cast<QList<uint>>(value.variant().value<QDBusArgument>());
            }
        }
        properties.endArray();
        units_.push_back(unit);
        connection.send(message.createReply(QVariant::fromValue(
            QDBusObjectPath(QStringLiteral("/org/freedesktop/systemd1/job/1")))));
        return true;
    }

private:
    static inline const QString kServiceName = QStringLiteral("fake-systemd-service");
    static inline const QString kClientName = QStringLiteral("fake-systemd-client");

    QDBusConnection serviceConnection() const {
        return QDBusConnection::connectToBus(QString::fromUtf8(address_), kServiceName);
    }

    QProcess daemon_;
    QByteArray address_;
    bool ready_ = false;
    std::vector<TransientUnit> units_;
};
