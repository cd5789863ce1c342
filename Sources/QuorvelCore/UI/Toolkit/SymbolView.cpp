#include "UI/Toolkit/SymbolView.h"

#include <QPainter>

#include <cmath>

#include "Util/SymbolImage.h"

namespace quorvel {

SymbolView::SymbolView(std::string symbol, double size, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , symbol_(std::move(symbol))
    , size_(size)
    , color_(color) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(std::string symbol) {
    if (symbol == symbol_) return;
    symbol_ = std::move(symbol);
    update();
}

void SymbolView::setColor(const QColor &color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void SymbolView::setRotation(double degrees) {
    if (degrees == rotation_) return;
    rotation_ = degrees;
    update();
}

QSize SymbolView::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_ * SymbolImage::kTextScale));
    return QSize(side, side);
}

void SymbolView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (rotation_ != 0) {
        const QPointF centre = QRectF(rect()).center();
        painter.translate(centre);
        painter.rotate(rotation_);
        painter.translate(-centre);
    }
    const QSizeF glyph = QSizeF(sizeHint());
    QRectF bounds(QPointF(0, 0), glyph);
    bounds.moveCenter(QRectF(rect()).center());
    SymbolImage::draw(painter, bounds, symbol_, color_);
}

} // namespace quorvel
