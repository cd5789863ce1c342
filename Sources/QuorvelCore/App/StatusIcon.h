#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

namespace quorvel {

// The program's icon in the desktop's tray, as the status item needs it.
class StatusIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the desktop has a tray to show the icon in.
    virtual bool isAvailable() const = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &text) = 0;
    virtual void show() = 0;
    virtual bool isVisible() const = 0;
    // The icon's place on screen; empty where the tray does not tell it
    // (StatusNotifierItem hosts).
    virtual QRect geometry() const = 0;

signals:
    // The user clicked the icon; `cursor` is where the pointer was then.
    void activated(QPoint cursor);
};

} // namespace quorvel
