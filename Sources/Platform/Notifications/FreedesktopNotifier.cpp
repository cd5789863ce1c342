#include "Notifications/FreedesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "Install/ProgramDirectory.h"

namespace quorvel::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QString qtText(const std::string &text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs `handle` with the finished call on the event loop, as long as `owner` lives.
template <typename Handler>
void whenFinished(const QDBusPendingCall &call, QObject *owner, Handler handle) {
    auto *watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [watcher, handle = std::move(handle)]() mutable {
                         handle(*watcher);
                         watcher->deleteLater();
                     });
}

} // namespace

QString notificationIcon(const QString &name, const QString &executableDirectory,
                         const QStringList &dataDirectories) {
    const QString themed =
        QStringLiteral("/icons/hicolor/scalable/apps/") + name + QStringLiteral(".svg");
    for (const QString &directory : dataDirectories) {
        if (QFileInfo(directory + themed).isFile()) return name;
    }
    const QFileInfo own(
        QDir::cleanPath(executableDirectory + QStringLiteral("/../share") + themed));
    return own.isFile() ? QUrl::fromLocalFile(own.canonicalFilePath()).toString() : name;
}

std::shared_ptr<Notifier> FreedesktopNotifier::forSessionBus() {
    NotifierIdentity identity;
    const QString directory =
        QFile::decodeName(programDirectory().value_or(std::filesystem::path()).c_str());
    identity.appIcon =
        notificationIcon(identity.appIcon, directory,
                         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
    return std::make_shared<FreedesktopNotifier>(QDBusConnection::sessionBus(), identity);
}

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection connection, NotifierIdentity identity,
                                         QObject *parent)
    : QObject(parent)
    , connection_(std::move(connection))
    , identity_(std::move(identity)) {
    if (!connection_.isConnected()) return;
    // Any sender: naming the service would make Qt look up its owner and
    // wait for the answer. Only ids this notifier was given count.
    connection_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                        SLOT(onActionInvoked(uint, QString)));
    connection_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                        SLOT(onNotificationClosed(uint, uint)));
}

void FreedesktopNotifier::post(Notification notification) {
    if (!connection_.isConnected()) return;
    if (bodyMarkup_) {
        send(std::move(notification));
        return;
    }
    waiting_.push_back(std::move(notification));
    askCapabilities();
}

void FreedesktopNotifier::askCapabilities() {
    if (askingCapabilities_) return;
    askingCapabilities_ = true;
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                             QStringLiteral("GetCapabilities"));
    whenFinished(connection_.asyncCall(call), this, [this](QDBusPendingCallWatcher &finished) {
        askingCapabilities_ = false;
        std::vector<Notification> waiting;
        waiting.swap(waiting_);
        const QDBusPendingReply<QStringList> reply = finished;
        // No service: what waited is dropped, and the next post asks again.
        if (reply.isError()) return;
        bodyMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
        for (Notification &notification : waiting) send(std::move(notification));
    });
}

void FreedesktopNotifier::send(Notification notification) {
    QString body = qtText(notification.body);
    // Names of applications come from their files: a service that reads
    // markup must see them as plain text.
    if (*bodyMarkup_) body = body.toHtmlEscaped();
    QStringList actions;
    if (notification.action)
        actions << qtText(notification.action->key) << qtText(notification.action->label);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << identity_.appName << uint(0) << identity_.appIcon << qtText(notification.title) << body
         << actions << QVariantMap{{QStringLiteral("desktop-entry"), identity_.desktopEntry}}
         << int(-1);
    const QDBusPendingCall pending = connection_.asyncCall(call);
    if (!notification.action) return;
    whenFinished(pending, this,
                 [this, action = std::move(*notification.action)](
                     QDBusPendingCallWatcher &finished) mutable {
                     const QDBusPendingReply<uint> reply = finished;
                     if (reply.isError()) return;
                     actions_.insert_or_assign(
                         reply.value(),
                         PendingAction{qtText(action.key), std::move(action.onInvoked)});
                 });
}

void FreedesktopNotifier::onActionInvoked(uint id, const QString &actionKey) {
    const auto found = actions_.find(id);
    if (found == actions_.end() || found->second.key != actionKey) return;
    const std::function<void()> onInvoked = std::move(found->second.onInvoked);
    actions_.erase(found);
    if (onInvoked) onInvoked();
}

void FreedesktopNotifier::onNotificationClosed(uint id, uint) {
    actions_.erase(id);
}

} // namespace quorvel::platform
