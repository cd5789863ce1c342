#include "UI/Toolkit/WidgetSnapshot.h"

#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace quorvel {

QImage widgetSnapshot(QWidget &widget, int scale) {
    // A window otherwise paints its palette's background first.
    widget.setAttribute(Qt::WA_NoSystemBackground);
    widget.ensurePolished();
    // Laid out as the panel's window lays out its content: at its preferred
    // width within its limits, and as tall as its wrapped texts are at that
    // width. As a window of its own it would also be held to its layout's
    // minimum, which counts every wrapped text at its narrow preferred width,
    // and would spread that height over its parts.
    QLayout *layout = widget.layout();
    const QLayout::SizeConstraint constraint =
        layout ? layout->sizeConstraint() : QLayout::SetDefaultConstraint;
    if (layout) layout->setSizeConstraint(QLayout::SetNoConstraint);
    const QSize hint =
        widget.sizeHint().expandedTo(widget.minimumSize()).boundedTo(widget.maximumSize());
    const int height =
        widget.hasHeightForWidth() ? widget.heightForWidth(hint.width()) : hint.height();
    widget.resize(hint.width(), std::min(height, widget.maximumHeight()));
    if (layout) layout->activate();
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    if (layout) layout->setSizeConstraint(constraint);
    QImage snapshot = image.convertToFormat(QImage::Format_ARGB32);
    snapshot.setDevicePixelRatio(1);
    return snapshot;
}

} // namespace quorvel
