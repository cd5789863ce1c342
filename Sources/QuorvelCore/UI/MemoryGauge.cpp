#include "UI/MemoryGauge.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "UI/Theme.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {

MemoryGauge::MemoryGauge(QWidget *parent)
    : QWidget(parent)
    , color_(Theme::green()) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MemoryGauge::setValue(double fraction, const QColor &color) {
    fraction_ = fraction;
    color_ = color;
    update();
}

double MemoryGauge::fillWidth(double fraction, double width) {
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return std::max(width * clamped, kMinimumFill);
}

void MemoryGauge::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRectF track(0, 0, width(), kHeight);
    const double radius = kHeight / 2.0;
    Shapes::fill(painter, Shapes::roundedRect(track, radius), Theme::hairline());
    const QRectF filled(0, 0, fillWidth(fraction_, width()), kHeight);
    Shapes::fill(painter, Shapes::roundedRect(filled, radius), color_);
}

} // namespace quorvel
