#include "UI/UsageBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "UI/Theme.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Shapes.h"
#include "Util/L10n.h"

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
    // Its value is read when the reader comes to it: told at every sample, a
    // screen reader would speak every bar's percentage every few seconds.
    update();
}

QString UsageBar::accessibleText() const {
    return qtText(L10n::t("a11y.usage"));
}

std::optional<double> UsageBar::accessibleValue() const {
    return std::isnan(fraction_) ? 1.0 : std::clamp(fraction_, 0.0, 1.0);
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
