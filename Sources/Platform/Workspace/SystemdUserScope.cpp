#include "Workspace/SystemdUserScope.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFileInfo>
#include <QList>

#include <cstdio>

namespace quorvel::platform {
namespace {

// The (sv) and (sa(sv)) records of StartTransientUnit.
struct UnitProperty {
    QString name;
    QDBusVariant value;
};

struct AuxiliaryUnit {
    QString name;
    QList<UnitProperty> properties;
};

} // namespace
} // namespace quorvel::platform

Q_DECLARE_METATYPE(quorvel::platform::UnitProperty)
Q_DECLARE_METATYPE(quorvel::platform::AuxiliaryUnit)

namespace quorvel::platform {
namespace {

QDBusArgument &operator<<(QDBusArgument &argument, const UnitProperty &property) {
    argument.beginStructure();
    argument << property.name << property.value;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, UnitProperty &property) {
    argument.beginStructure();
    argument >> property.name >> property.value;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const AuxiliaryUnit &unit) {
    argument.beginStructure();
    argument << unit.name << unit.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, AuxiliaryUnit &unit) {
    argument.beginStructure();
    argument >> unit.name >> unit.properties;
    argument.endStructure();
    return argument;
}

void registerUnitTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<UnitProperty>();
        qDBusRegisterMetaType<QList<UnitProperty>>();
        qDBusRegisterMetaType<AuxiliaryUnit>();
        qDBusRegisterMetaType<QList<AuxiliaryUnit>>();
        return true;
    }();
    (void)registered;
}

// systemd keeps unit names below 256 bytes.
constexpr std::size_t kMaxUnitName = 255;

bool keepsInUnitName(unsigned char c, bool first) {
    if (c == '.') return !first;
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
           c == '_';
}

// The escaping of systemd-escape: '/' becomes '-', and '-' itself, like any
// byte a unit name may not hold, becomes \xNN.
std::string escapedForUnit(const std::string &text) {
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '/') {
            escaped += '-';
        } else if (keepsInUnitName(c, i == 0)) {
            escaped += static_cast<char>(c);
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            escaped += code;
        }
    }
    return escaped;
}

} // namespace

SystemdUserScope::SystemdUserScope(BusProvider bus)
    : bus_(std::move(bus)) {}

std::optional<std::string> SystemdUserScope::unitName(const std::string &desktopFileID,
                                                      int32_t pid) {
    if (desktopFileID.empty() || pid <= 0) return std::nullopt;
    std::string name =
        "app-quorvel-" + escapedForUnit(desktopFileID) + "-" + std::to_string(pid) + ".scope";
    if (name.size() > kMaxUnitName) return std::nullopt;
    return name;
}

void SystemdUserScope::adopt(const std::string &desktopFileID, int32_t pid) {
    const std::optional<std::string> unit = unitName(desktopFileID, pid);
    if (!unit) return;
    const std::optional<QDBusConnection> bus = bus_();
    if (!bus || !bus->isConnected()) return;
    registerUnitTypes();

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/org/freedesktop/systemd1"),
        QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("StartTransientUnit"));
    // A bus without systemd must not start anything on our behalf.
    call.setAutoStartService(false);
    const QList<UnitProperty> properties{
        {QStringLiteral("Description"), QDBusVariant(QString::fromStdString(desktopFileID) +
                                                     QStringLiteral(" started by Quorvel"))},
        {QStringLiteral("PIDs"), QDBusVariant(QVariant::fromValue(QList<uint>{uint(pid)}))},
        {QStringLiteral("CollectMode"), QDBusVariant(QStringLiteral("inactive-or-failed"))},
    };
    call << QString::fromStdString(*unit) << QStringLiteral("fail")
         << QVariant::fromValue(properties) << QVariant::fromValue(QList<AuxiliaryUnit>{});
    // Fire and forget: the answer would only name the job.
    bus->send(call);
}

std::optional<QDBusConnection> SystemdUserScope::userBus() {
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty()) return std::nullopt;
    // The user's systemd instance listens here whenever it runs.
    if (!QFileInfo::exists(QString::fromLocal8Bit(runtimeDir) +
                           QStringLiteral("/systemd/private"))) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

} // namespace quorvel::platform
