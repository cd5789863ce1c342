#include "UI/Toolkit/StyledButton.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/Shapes.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

// The symbol is drawn at the label's text size.
double symbolSide(const QFont &font) {
    return QFontMetricsF(font).ascent() * SymbolImage::kTextScale;
}

} // namespace

StyledButton::StyledButton(ButtonStyle style, const QString &text, std::string symbol,
                           QWidget *parent)
    : QAbstractButton(parent)
    , style_(std::move(style))
    , symbol_(std::move(symbol)) {
    setText(text);
    setFont(style_.font);
    setCursor(Qt::PointingHandCursor);
    // Reached by Tab; a click does not leave a focus ring behind.
    setFocusPolicy(Qt::TabFocus);
    if (style_.fixedSize) {
        setFixedSize(*style_.fixedSize);
    } else {
        setSizePolicy(style_.stretchesToWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                      QSizePolicy::Fixed);
    }
}

void StyledButton::setButtonStyle(ButtonStyle style) {
    style_ = std::move(style);
    setFont(style_.font);
    updateGeometry();
    update();
}

void StyledButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

void StyledButton::setLabelColor(const QColor &color) {
    style_.labelColor = color;
    update();
}

void StyledButton::setLabelSpacing(int spacing) {
    labelSpacing_ = spacing;
    updateGeometry();
    update();
}

void StyledButton::setTruncates(bool truncates) {
    truncates_ = truncates;
    if (!style_.fixedSize && !style_.stretchesToWidth)
        setSizePolicy(truncates ? QSizePolicy::Preferred : QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateGeometry();
    update();
}

QAccessible::Role StyledButton::accessibleRole() const {
    if (isCheckable() && autoExclusive()) return QAccessible::RadioButton;
    return isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
}

void StyledButton::keyPressEvent(QKeyEvent *event) {
    if (!clickOnEnter(this, event)) QAbstractButton::keyPressEvent(event);
}

double StyledButton::fillOpacity() const {
    return isDown() ? style_.pressedFillOpacity : 1.0;
}

QSize StyledButton::labelSize() const {
    const QFontMetricsF metrics(style_.font);
    double width = 0;
    if (!symbol_.empty()) width += symbolSide(style_.font);
    if (!symbol_.empty() && !text().isEmpty()) width += labelSpacing_;
    if (!text().isEmpty()) width += metrics.horizontalAdvance(text());
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(metrics.height())));
}

QSize StyledButton::sizeHint() const {
    if (style_.fixedSize) return *style_.fixedSize;
    return labelSize().grownBy(style_.insets);
}

QSize StyledButton::minimumSizeHint() const {
    if (!truncates_ || text().isEmpty()) return sizeHint();
    // Room for a few characters and the ellipsis inside half the padding.
    const QSize full = sizeHint();
    const int shortest = QFontMetrics(style_.font).horizontalAdvance(QStringLiteral("Mm…")) +
                         (style_.insets.left() + style_.insets.right() + 1) / 2;
    return QSize(std::min(full.width(), shortest), full.height());
}

QMarginsF StyledButton::sidePadding() const {
    const QMarginsF insets = style_.insets;
    const double sides = insets.left() + insets.right();
    if (!truncates_ || sides <= 0) return insets;
    const double share = std::clamp((width() - labelSize().width()) / sides, 0.5, 1.0);
    return QMarginsF(insets.left() * share, insets.top(), insets.right() * share, insets.bottom());
}

void StyledButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRectF bounds = rect();
    QColor fill = style_.fill;
    fill.setAlphaF(static_cast<float>(fill.alphaF() * fillOpacity()));
    Shapes::fill(painter, Shapes::roundedRect(bounds, style_.cornerRadius), fill);
    if (style_.border)
        Shapes::strokeInside(painter, bounds, style_.cornerRadius, *style_.border, 1);
    paintFocusRing(painter, this, bounds, style_.cornerRadius, style_.fill);

    const QMarginsF padding = sidePadding();
    const QSizeF label =
        truncates_ ? QSizeF(labelSize())
                         .boundedTo(QSizeF(size()).shrunkBy(padding).expandedTo(QSizeF(0, 0)))
                   : QSizeF(labelSize());
    QPointF origin(bounds.center().x() - label.width() / 2,
                   bounds.center().y() - label.height() / 2);
    if (!symbol_.empty()) {
        const double side = symbolSide(style_.font);
        const QRectF symbolBounds(origin.x(), bounds.center().y() - side / 2, side, side);
        SymbolImage::draw(painter, symbolBounds, symbol_, style_.labelColor);
        origin.rx() += side + (text().isEmpty() ? 0 : labelSpacing_);
    }
    if (!text().isEmpty()) {
        painter.setFont(style_.font);
        painter.setPen(style_.labelColor);
        const double room = bounds.right() - padding.right() - origin.x();
        const QString shown =
            truncates_ ? QFontMetricsF(style_.font).elidedText(text(), Qt::ElideRight, room)
                       : text();
        painter.drawText(QRectF(origin, QSizeF(bounds.right() - origin.x(), label.height())),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
}

} // namespace quorvel
