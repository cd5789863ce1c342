#pragma once

#include "App/StatusIcon.h"

class QSystemTrayIcon;

namespace quorvel {

// The status icon over Qt's system tray icon (XEmbed or StatusNotifierItem).
class SystemTrayStatusIcon final : public StatusIcon {
    Q_OBJECT
public:
    explicit SystemTrayStatusIcon(QObject *parent = nullptr);

    bool isAvailable() const override;
    void setIcon(const QIcon &icon) override;
    void setToolTip(const QString &text) override;
    void show() override;
    bool isVisible() const override;
    QRect geometry() const override;

private:
    QSystemTrayIcon *tray_;
};

} // namespace quorvel
