#include "App/SystemTrayStatusIcon.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace quorvel {

SystemTrayStatusIcon::SystemTrayStatusIcon(QObject *parent)
    : StatusIcon(parent)
    , tray_(new QSystemTrayIcon(this)) {
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) emit activated(QCursor::pos());
            });
}

bool SystemTrayStatusIcon::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}
void SystemTrayStatusIcon::setIcon(const QIcon &icon) {
    tray_->setIcon(icon);
}
void SystemTrayStatusIcon::setToolTip(const QString &text) {
    tray_->setToolTip(text);
}
void SystemTrayStatusIcon::show() {
    tray_->show();
}
bool SystemTrayStatusIcon::isVisible() const {
    return tray_->isVisible();
}
QRect SystemTrayStatusIcon::geometry() const {
    return tray_->geometry();
}

} // namespace quorvel
