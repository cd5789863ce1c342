#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

#include "Model/PressureModels.h"

// The panel's one fixed look: absolute sRGB colours that do not follow the
// desktop's light or dark appearance.
namespace quorvel::Theme {

// A colour from a 24-bit 0xRRGGBB value.
QColor hex(uint32_t rgb, double alpha = 1.0);
// `color` with its opacity multiplied by `opacity`.
QColor withOpacity(QColor color, double opacity);

QColor panelTop();
QColor panelBottom();
QColor surface();
QColor hairline();
QColor ink();
QColor inkDim();
QColor inkFaint();
QColor green();
QColor greenText();
QColor amber();
QColor red();
QColor blue();
QColor purple();
QColor onGreen();

// Figures and tags: 11 px, medium, monospaced.
QFont mono();

// Amber from 0.8 on, green below (and for a fraction that is not a number).
QColor usageColor(double fraction);

} // namespace quorvel::Theme

namespace quorvel {

// Green, amber or red for normal, warning or critical.
QColor pressureColor(PressureLevel level);

} // namespace quorvel
