#pragma once

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>

#include "App/StatusIcon.h"

namespace quorvel::test {

// Stands in for the desktop's tray, which the offscreen platform lacks.
class FakeStatusIcon final : public StatusIcon {
public:
    bool available = true;
    int iconsSet = 0;
    QString toolTip;
    bool visible = false;
    QRect frame;

    bool isAvailable() const override { return available; }
    void setIcon(const QIcon &) override { ++iconsSet; }
    void setToolTip(const QString &text) override { toolTip = text; }
    void show() override { visible = true; }
    bool isVisible() const override { return visible; }
    QRect geometry() const override { return frame; }

    void click(QPoint at = QPoint(700, 10)) { emit activated(at); }
};

} // namespace quorvel::test
