#include "UI/UsageBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "UI/Theme.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {

UsageBar::UsageBar(double fraction, const QColor &color, QWidget *parent, double minimumFill)
    : QWidget(parent)
    , fraction_(fraction)
    , color_(color)
    , minimumFill_(minimumFill) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void UsageBar::setValue(double fraction, const QColor &color) {
    fraction_ = fraction;
    color_ = color;
    update();
}

QRectF UsageBar::fillRect(double fraction, QSizeF size, double minimumFill) {
    const double clamped = std::isnan(fraction) ? 1.0 : std::clamp(fraction, 0.0, 1.0);
    return QRectF(0, 0, std::max(minimumFill, size.width() * clamped), size.height());
}

void UsageBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRectF track = rect();
    Shapes::fill(painter, Shapes::capsule(track), Theme::hairline());
    Shapes::fill(painter, Shapes::capsule(fillRect(fraction_, track.size(), minimumFill_)), color_);
}

} // namespace quorvel
