#include "PanelActivation.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace quorvel {
namespace {

constexpr int kAnswerMilliseconds = 5000;

class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    ApplicationAdaptor(QObject *owner, std::function<void()> open)
        : QDBusAbstractAdaptor(owner)
        , open_(std::move(open)) {}

public slots:
    void Activate(const QVariantMap &) { open_(); }
    void Open(const QStringList &, const QVariantMap &) { open_(); }
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &) {}

private:
    std::function<void()> open_;
};

} // namespace

PanelActivation::PanelActivation(std::function<void()> open, QObject *parent)
    : QObject(parent) {
    new ApplicationAdaptor(this, std::move(open));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    registered_ = bus.registerObject(QString::fromLatin1(kPath), this) &&
                  bus.registerService(QString::fromLatin1(kService));
}

PanelActivation::~PanelActivation() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QString::fromLatin1(kService));
    bus.unregisterObject(QString::fromLatin1(kPath));
}

bool PanelActivation::askRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    call << QVariantMap();
    return bus.call(call, QDBus::Block, kAnswerMilliseconds).type() == QDBusMessage::ReplyMessage;
}

} // namespace quorvel

#include "PanelActivation.moc"
