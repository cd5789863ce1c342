#include "UI/Toolkit/Divider.h"

#include <QPainter>

namespace quorvel {

Divider::Divider(const QColor &color, QWidget *parent)
    : QWidget(parent)
    , color_(color) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *) {
    QPainter(this).fillRect(rect(), color_);
}

} // namespace quorvel
