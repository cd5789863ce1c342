#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

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
