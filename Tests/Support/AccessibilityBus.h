#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>
#include <vector>

#include "Support/PanelFixtures.h"
#include "Support/PrivateSessionBus.h"

namespace quorvel::test {

// One shown object of an application's accessible tree as a screen reader
// gets it: role name ("push button"), name, the states it speaks of, the
// value where it has one, and the description.
struct AccessibleNode {
    int depth = 0;
    QString role, name, description, value;
    QStringList states;

    QString line() const {
        QString text =
            QString(depth * 2, QLatin1Char(' ')) + QStringLiteral("[%1] \"%2\"").arg(role, name);
        if (!value.isEmpty()) text += QStringLiteral(" value=") + value;
        if (!states.isEmpty()) text += QStringLiteral(" {") + states.join(QLatin1Char(',')) + '}';
        if (!description.isEmpty()) text += QStringLiteral(" — ") + description;
        return text;
    }
};

inline bool accessibilityBusInstalled() {
    return QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher"));
}

// A session bus of the test's own with the desktop's accessibility bus on it
// (at-spi-bus-launcher, which starts the registry) and a screen reader said
// to run, so that Qt programs started on it expose their widgets; read from
// outside them, as a screen reader reads.
class AccessibilityBus {
public:
    AccessibilityBus() {
        if (!session_.started()) return;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session_.address());
        // Its switches are session settings, kept in memory as this session
        // has no settings service; its socket goes apart from other tests'.
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        launcher_.setProcessEnvironment(environment);
        launcher_.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {});
        sessionBus_ = session_.connect();
        const QString name = QStringLiteral("org.a11y.Bus"), path = QStringLiteral("/org/a11y/bus");
        if (!waitForName(name)) return;
        for (const char *property : {"IsEnabled", "ScreenReaderEnabled"}) {
            sessionBus_->call(QDBusMessage::createMethodCall(
                                  name, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                  QStringLiteral("Set"))
                              << QStringLiteral("org.a11y.Status") << QString::fromLatin1(property)
                              << QVariant::fromValue(QDBusVariant(true)));
        }
        const QDBusMessage address = sessionBus_->call(
            QDBusMessage::createMethodCall(name, path, name, QStringLiteral("GetAddress")));
        a11y_ = QDBusConnection::connectToBus(address.arguments().value(0).toString(),
                                              QStringLiteral("quorvel-test-a11y"));
    }

    ~AccessibilityBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("quorvel-test-a11y"));
        launcher_.terminate();
        if (!launcher_.waitForFinished(10000)) launcher_.kill();
    }

    bool ready() const { return a11y_ && a11y_->isConnected(); }
    const QString &sessionAddress() const { return session_.address(); }

    // Whether a program has taken `name` on the session bus within a while.
    bool waitForName(const QString &name) const {
        return waitFor([&] { return sessionBus_->interface()->isServiceRegistered(name).value(); });
    }

    // The shown part of the application's tree in reading order; empty until
    // the application has joined the bus.
    std::vector<AccessibleNode> tree(const QString &application) const {
        std::vector<AccessibleNode> nodes;
        for (const auto &[service, path] :
             children(QStringLiteral("org.a11y.atspi.Registry"),
                      QStringLiteral("/org/a11y/atspi/accessible/root"))) {
            if (property(service, path, "Name").toString() == application)
                walk(service, path, 0, nodes);
        }
        return nodes;
    }

    std::optional<AccessibleNode> focused(const QString &application) const {
        for (const AccessibleNode &node : tree(application))
            if (node.states.contains(QStringLiteral("focused"))) return node;
        return std::nullopt;
    }

private:
    QList<QVariant> call(const QString &service, const QString &path, const char *method,
                         const QVariantList &arguments = {},
                         const char *interface = "org.a11y.atspi.Accessible") const {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, path, QString::fromLatin1(interface), QString::fromLatin1(method));
        message.setArguments(arguments);
        const QDBusMessage reply = a11y_->call(message, QDBus::Block, 5000);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>{};
    }

    QVariant property(const QString &service, const QString &path, const char *name,
                      const char *interface = "org.a11y.atspi.Accessible") const {
        return call(service, path, "Get",
                    {QString::fromLatin1(interface), QString::fromLatin1(name)},
                    "org.freedesktop.DBus.Properties")
            .value(0)
            .value<QDBusVariant>()
            .variant();
    }

    std::vector<std::pair<QString, QString>> children(const QString &service,
                                                      const QString &path) const {
        std::vector<std::pair<QString, QString>> found;
        const QList<QVariant> reply = call(service, path, "GetChildren");
        if (reply.isEmpty()) return found;
        const QDBusArgument list = reply[0].value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString child;
            QDBusObjectPath at;
            list.beginStructure();
            list >> child >> at;
            list.endStructure();
            found.emplace_back(child, at.path());
        }
        list.endArray();
        return found;
    }

    // The states a reader speaks of, by their AT-SPI numbers.
    QStringList states(const QString &service, const QString &path) const {
        const QList<QVariant> reply = call(service, path, "GetState");
        if (reply.isEmpty()) return {};
        std::vector<uint32_t> words;
        const QDBusArgument array = reply[0].value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) words.push_back(qdbus_cast<uint32_t>(array));
        array.endArray();
        QStringList names;
        for (const auto &[bit, name] : {std::pair{4, "checked"},
                                        {11, "focusable"},
                                        {12, "focused"},
                                        {25, "showing"},
                                        {41, "checkable"}}) {
            if (std::size_t(bit / 32) < words.size() && (words[bit / 32] >> (bit % 32)) & 1u)
                names << QString::fromLatin1(name);
        }
        return names;
    }

    void walk(const QString &service, const QString &path, int depth,
              std::vector<AccessibleNode> &nodes) const {
        AccessibleNode node;
        node.depth = depth;
        node.states = states(service, path);
        // What is not on screen is not read; the application has no state.
        if (depth > 0 && !node.states.removeOne(QStringLiteral("showing"))) return;
        node.role = call(service, path, "GetRoleName").value(0).toString();
        node.name = property(service, path, "Name").toString();
        node.description = property(service, path, "Description").toString();
        const char *const value = "org.a11y.atspi.Value";
        const auto number = [&](const char *name) {
            return property(service, path, name, value).toDouble();
        };
        if (call(service, path, "GetInterfaces").value(0).toStringList().contains(value))
            node.value =
                QStringLiteral("%1 of %2").arg(number("CurrentValue")).arg(number("MaximumValue"));
        nodes.push_back(node);
        for (const auto &[child, at] : children(service, path)) walk(child, at, depth + 1, nodes);
    }

    QTemporaryDir runtime_;
    testing::PrivateSessionBus session_;
    std::optional<QDBusConnection> sessionBus_;
    QProcess launcher_;
    std::optional<QDBusConnection> a11y_;
};

} // namespace quorvel::test
