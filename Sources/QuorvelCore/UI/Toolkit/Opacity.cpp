#include "UI/Toolkit/Opacity.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

namespace quorvel {

void setDrawnOpacity(QWidget *widget, double opacity) {
    if (opacity >= 1.0) {
        widget->setGraphicsEffect(nullptr);
        return;
    }
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
}

double drawnOpacity(const QWidget *widget) {
    const auto *effect = qobject_cast<const QGraphicsOpacityEffect *>(widget->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

} // namespace quorvel
