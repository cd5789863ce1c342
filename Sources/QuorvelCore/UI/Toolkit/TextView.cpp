#include "UI/Toolkit/TextView.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

constexpr int kWrappingHintWidth = 160;
constexpr int kUnbounded = 1 << 20;
constexpr int kWrapFlags = Qt::TextWordWrap;

} // namespace

TextView::TextView(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , text_(text)
    , font_(font)
    , color_(color) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextView::setText(const QString &text) {
    if (text == text_) return;
    text_ = text;
    changed();
    describedNameChanged(this);
}

void TextView::setColor(const QColor &color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void TextView::setTextFont(const QFont &font) {
    font_ = font;
    changed();
}

void TextView::setMinimumScaleFactor(double factor) {
    minimumScaleFactor_ = std::clamp(factor, 0.1, 1.0);
    changed();
}

void TextView::setWrapping(bool wrapping) {
    wrapping_ = wrapping;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrapping);
    policy.setHorizontalPolicy(wrapping ? QSizePolicy::Expanding : QSizePolicy::Preferred);
    setSizePolicy(policy);
    changed();
}

void TextView::setTruncates(bool truncates) {
    truncates_ = truncates;
    changed();
}

void TextView::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void TextView::changed() {
    updateGeometry();
    update();
}

int TextView::naturalWidth() const {
    return static_cast<int>(std::ceil(QFontMetricsF(font_).horizontalAdvance(text_)));
}

QSize TextView::sizeHint() const {
    const QFontMetricsF metrics(font_);
    const int height = static_cast<int>(std::ceil(metrics.height()));
    // A wrapping text asks for little width, so that a row shares out its
    // room by stretch and the height for the width it then gets is right.
    if (wrapping_)
        return QSize(std::min(naturalWidth(), kWrappingHintWidth),
                     heightForWidth(kWrappingHintWidth));
    return QSize(naturalWidth(), height);
}

QSize TextView::minimumSizeHint() const {
    if (wrapping_) return QSize(0, sizeHint().height());
    const QSize natural = sizeHint();
    if (truncates_) {
        // Room for a few characters and the ellipsis.
        const int shortest = static_cast<int>(
            std::ceil(QFontMetricsF(font_).horizontalAdvance(QStringLiteral("Mm…"))));
        return QSize(std::min(natural.width(), shortest), natural.height());
    }
    return QSize(static_cast<int>(std::ceil(natural.width() * minimumScaleFactor_)),
                 natural.height());
}

int TextView::heightForWidth(int width) const {
    if (!wrapping_) return sizeHint().height();
    const QRectF bounds = QFontMetricsF(font_).boundingRect(
        QRectF(0, 0, std::max(1, width), kUnbounded), kWrapFlags, text_);
    return static_cast<int>(std::ceil(bounds.height()));
}

QFont TextView::fittedFont() const {
    if (wrapping_ || text_.isEmpty()) return font_;
    const int natural = naturalWidth();
    if (natural <= width()) return font_;
    // Glyph widths do not scale linearly with hinting, so step down from the
    // proportional guess until the text fits or the minimum is reached.
    double scale = std::max(minimumScaleFactor_, double(width()) / natural);
    QFont fitted = font_;
    for (;;) {
        fitted.setPointSizeF(font_.pointSizeF() * scale);
        // Qt does not scale letter spacing with the size; keep its share.
        if (font_.letterSpacingType() == QFont::AbsoluteSpacing) {
            fitted.setLetterSpacing(QFont::AbsoluteSpacing, font_.letterSpacing() * scale);
        }
        if (scale <= minimumScaleFactor_ ||
            QFontMetricsF(fitted).horizontalAdvance(text_) <= width()) {
            return fitted;
        }
        scale = std::max(minimumScaleFactor_, scale - 0.02);
    }
}

void TextView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color_);
    const QFont font = fittedFont();
    painter.setFont(font);
    if (wrapping_) {
        painter.drawText(rect(), int(alignment_) | kWrapFlags, text_);
        return;
    }
    const QString shown = QFontMetricsF(font).elidedText(text_, Qt::ElideRight, width());
    painter.drawText(rect(), int(alignment_) | Qt::TextSingleLine, shown);
}

} // namespace quorvel
