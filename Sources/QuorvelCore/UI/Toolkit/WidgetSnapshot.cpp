#include "UI/Toolkit/WidgetSnapshot.h"

#include <QLayout>
#include <QWidget>

namespace quorvel {

QImage widgetSnapshot(QWidget &widget, int scale) {
    // A window otherwise paints its palette's background first.
    widget.setAttribute(Qt::WA_NoSystemBackground);
    widget.ensurePolished();
    widget.adjustSize();
    if (widget.layout()) widget.layout()->activate();
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage snapshot = image.convertToFormat(QImage::Format_ARGB32);
    snapshot.setDevicePixelRatio(1);
    return snapshot;
}

} // namespace quorvel
