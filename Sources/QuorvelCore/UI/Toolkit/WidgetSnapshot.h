#pragma once

#include <QImage>

class QWidget;

namespace quorvel {

// Lays the widget out at its preferred size and renders it offscreen onto a
// transparent image `scale` times its size in each direction, so what it
// leaves unpainted stays clear.
QImage widgetSnapshot(QWidget &widget, int scale = 1);

} // namespace quorvel
