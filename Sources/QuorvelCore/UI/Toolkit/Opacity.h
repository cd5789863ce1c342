#pragma once

class QWidget;

namespace quorvel {

// Draws the widget and its children at `opacity`; 1 removes the effect.
void setDrawnOpacity(QWidget *widget, double opacity);
double drawnOpacity(const QWidget *widget);

} // namespace quorvel
