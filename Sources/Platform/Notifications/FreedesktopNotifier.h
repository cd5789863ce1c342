#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "Notifications/Notifier.h"

namespace quorvel::platform {

// How Quorvel introduces itself; the desktop file ID names the icon too.
struct NotifierIdentity {
    QString appName = QStringLiteral("Quorvel");
    QString appIcon = QStringLiteral("io.quorvel.Quorvel");
    QString desktopEntry = QStringLiteral("io.quorvel.Quorvel");
};

// The icon notifications name: `name` where an icon theme in one of
// `dataDirectories` holds it as a scalable application icon, else the copy in
// `executableDirectory`/../share/icons as a file URI, which the service can
// read when Quorvel runs from a build tree or a prefix the desktop does not
// search; `name` when there is no copy either.
QString notificationIcon(const QString &name, const QString &executableDirectory,
                         const QStringList &dataDirectories);

// Posts to the desktop's notification service (org.freedesktop.Notifications)
// without ever waiting on the bus: every call is asynchronous and answers
// arrive on the event loop. Without a bus or a service, posts are dropped.
class FreedesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    // On the session bus.
    static std::shared_ptr<Notifier> forSessionBus();

    explicit FreedesktopNotifier(QDBusConnection connection, NotifierIdentity identity = {},
                                 QObject *parent = nullptr);

    using Notifier::post;
    void post(Notification notification) override;

private slots:
    void onActionInvoked(uint id, const QString &actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct PendingAction {
        QString key;
        std::function<void()> onInvoked;
    };

    // Asks once which features the service has, holding posts until then.
    void askCapabilities();
    void send(Notification notification);

    QDBusConnection connection_;
    NotifierIdentity identity_;
    // Whether bodies are read as markup, once the service has said.
    std::optional<bool> bodyMarkup_;
    bool askingCapabilities_ = false;
    std::vector<Notification> waiting_;
    std::map<uint, PendingAction> actions_;
};

} // namespace quorvel::platform
