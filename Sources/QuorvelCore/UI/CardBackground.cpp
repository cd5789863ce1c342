#include "UI/CardBackground.h"

#include <QPainter>

#include "UI/Theme.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {

CardBackground::CardBackground(double cornerRadius, QWidget *parent)
    : QWidget(parent)
    , cornerRadius_(cornerRadius) {}

void CardBackground::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    Shapes::fill(painter, Shapes::roundedRect(rect(), cornerRadius_), Theme::surface());
    Shapes::strokeInside(painter, rect(), cornerRadius_, Theme::hairline(), 1);
}

} // namespace quorvel
