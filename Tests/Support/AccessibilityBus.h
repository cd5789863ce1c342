#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>
#include <vector>

#include "Support/PanelFixtures.h"
#include "Support/PrivateSessionBus.h"

namespace quorvel::test {

// One object of an application's accessible tree as a screen reader gets it.
struct AccessibleNode {
    int depth = 0;
    QString role; // AT-SPI's role name: "push button", "list item", ...
    QString name;
    QString description;
    QStringList states; // the few a reader speaks of
    QString value;      // "current of maximum", where the object has a value

    // One line of the indented tree.
    QString line() const {
        QString text = QString(depth * 2, QLatin1Char(' ')) + QLatin1Char('[') + role +
                       QStringLiteral("] \"") + name + QLatin1Char('"');
        if (!value.isEmpty()) text += QStringLiteral(" value=") + value;
        if (!states.isEmpty()) text += QStringLiteral(" {") + states.join(QLatin1Char(',')) + '}';
        if (!description.isEmpty()) text += QStringLiteral(" — ") + description;
        return text;
    }
};

inline bool accessibilityBusInstalled() {
    return QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")) &&
           !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
}

// A session of the test's own with the desktop's accessibility bus in it
// (at-spi-bus-launcher, which starts the registry) and a screen reader said to
// be running, so that Qt programs started on it expose their widgets; read
// from outside them, as a screen reader does.
class AccessibilityBus {
public:
    AccessibilityBus() {
        if (!session_.started()) return;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session_.address());
        environment.remove(QStringLiteral("DISPLAY"));
        // The switches are settings of the session: kept in memory, as this
        // session has no settings service.
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        // Its bus's socket goes here, apart from any other test's.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        launcher_.setProcessEnvironment(environment);
        launcher_.setStandardOutputFile(QProcess::nullDevice());
        launcher_.setStandardErrorFile(QProcess::nullDevice());
        launcher_.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {});
        sessionBus_ = session_.connect();
        QDBusConnection &bus = *sessionBus_;
        const QString launcherName = QStringLiteral("org.a11y.Bus");
        if (!waitFor([&] { return bus.interface()->isServiceRegistered(launcherName).value(); }))
            return;
        for (const char *property : {"IsEnabled", "ScreenReaderEnabled"}) {
            QDBusMessage set = QDBusMessage::createMethodCall(
                launcherName, QStringLiteral("/org/a11y/bus"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
            set << QStringLiteral("org.a11y.Status") << QString::fromLatin1(property)
                << QVariant::fromValue(QDBusVariant(true));
            if (const QDBusMessage reply = bus.call(set);
                reply.type() != QDBusMessage::ReplyMessage) {
                problem_ = reply.errorMessage();
                return;
            }
        }
        const QDBusMessage address =
            bus.call(QDBusMessage::createMethodCall(launcherName, QStringLiteral("/org/a11y/bus"),
                                                    launcherName, QStringLiteral("GetAddress")));
        if (address.type() != QDBusMessage::ReplyMessage) return;
        a11y_ = QDBusConnection::connectToBus(address.arguments().value(0).toString(),
                                              QStringLiteral("quorvel-test-a11y"));
    }

    ~AccessibilityBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("quorvel-test-a11y"));
        launcher_.terminate();
        if (!launcher_.waitForFinished(10000)) launcher_.kill();
    }

    bool ready() const { return a11y_ && a11y_->isConnected(); }
    // Whether a program has taken `name` on the session bus, within a while.
    bool waitForName(const QString &name) const {
        return waitFor([&] { return sessionBus_->interface()->isServiceRegistered(name).value(); });
    }
    // Why it is not ready, where the bus said.
    const QString &problem() const { return problem_; }
    const QString &sessionAddress() const { return session_.address(); }

    // The shown part of the application's tree, in reading order; empty
    // until the application has joined the bus.
    std::vector<AccessibleNode> tree(const QString &application) const {
        std::vector<AccessibleNode> nodes;
        for (const auto &[service, path] :
             children({QStringLiteral("org.a11y.atspi.Registry"),
                       QStringLiteral("/org/a11y/atspi/accessible/root")})) {
            if (property(service, path, "Name").toString() == application)
                walk(service, path, 0, nodes);
        }
        return nodes;
    }

    // The object with the keyboard focus, where one has it.
    std::optional<AccessibleNode> focused(const QString &application) const {
        for (const AccessibleNode &node : tree(application)) {
            if (node.states.contains(QStringLiteral("focused"))) return node;
        }
        return std::nullopt;
    }

private:
    using Reference = std::pair<QString, QString>; // bus name, object path

    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {}) const {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return a11y_->call(message, QDBus::Block, 5000);
    }

    QVariant property(const QString &service, const QString &path, const char *name,
                      const char *interface = "org.a11y.atspi.Accessible") const {
        const QDBusMessage reply = call(
            service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
            {QString::fromLatin1(interface), QString::fromLatin1(name)});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    std::vector<Reference> children(const Reference &of) const {
        const QDBusMessage reply =
            call(of.first, of.second, QStringLiteral("org.a11y.atspi.Accessible"),
                 QStringLiteral("GetChildren"));
        std::vector<Reference> found;
        if (reply.type() != QDBusMessage::ReplyMessage) return found;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath path;
            list.beginStructure();
            list >> service >> path;
            list.endStructure();
            found.emplace_back(service, path.path());
        }
        list.endArray();
        return found;
    }

    static QStringList stateNames(const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage) return {};
        // AT-SPI's state numbers of the states a reader tells the user about.
        static const std::pair<int, const char *> spoken[] = {
            {4, "checked"},    {8, "enabled"},   {11, "focusable"}, {12, "focused"},
            {20, "pressed"},   {23, "selected"}, {25, "showing"},   {30, "visible"},
            {41, "checkable"}, {42, "has-popup"}};
        const QDBusArgument words = reply.arguments().value(0).value<QDBusArgument>();
        std::vector<uint32_t> bits;
        words.beginArray();
        while (!words.atEnd()) {
            uint32_t word = 0;
            words >> word;
            bits.push_back(word);
        }
        words.endArray();
        QStringList names;
        for (const auto &[bit, name] : spoken) {
            const std::size_t word = static_cast<std::size_t>(bit / 32);
            if (word < bits.size() && (bits[word] >> (bit % 32)) & 1u)
                names << QString::fromLatin1(name);
        }
        return names;
    }

    void walk(const QString &service, const QString &path, int depth,
              std::vector<AccessibleNode> &nodes) const {
        AccessibleNode node;
        node.depth = depth;
        const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
        node.states = stateNames(call(service, path, accessible, QStringLiteral("GetState")));
        // What is not on screen is not read; the application itself has no state.
        if (depth > 0 && !node.states.contains(QStringLiteral("showing"))) return;
        node.states.removeAll(QStringLiteral("showing"));
        node.states.removeAll(QStringLiteral("visible"));
        node.role = call(service, path, accessible, QStringLiteral("GetRoleName"))
                        .arguments()
                        .value(0)
                        .toString();
        node.name = property(service, path, "Name").toString();
        node.description = property(service, path, "Description").toString();
        const QStringList interfaces =
            call(service, path, accessible, QStringLiteral("GetInterfaces"))
                .arguments()
                .value(0)
                .toStringList();
        if (interfaces.contains(QStringLiteral("org.a11y.atspi.Value"))) {
            node.value =
                QString::number(
                    property(service, path, "CurrentValue", "org.a11y.atspi.Value").toDouble()) +
                QStringLiteral(" of ") +
                QString::number(
                    property(service, path, "MaximumValue", "org.a11y.atspi.Value").toDouble());
        }
        nodes.push_back(node);
        for (const Reference &child : children({service, path}))
            walk(child.first, child.second, depth + 1, nodes);
    }

    QTemporaryDir runtime_;
    testing::PrivateSessionBus session_;
    std::optional<QDBusConnection> sessionBus_;
    QProcess launcher_;
    std::optional<QDBusConnection> a11y_;
    QString problem_;
};

} // namespace quorvel::test
