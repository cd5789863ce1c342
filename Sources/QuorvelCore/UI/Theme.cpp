#include "UI/Theme.h"

#include "UI/Toolkit/Typography.h"

namespace quorvel::Theme {

QColor hex(uint32_t rgb, double alpha) {
    QColor color((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

QColor panelTop() {
    return hex(0x1B1F18);
}
QColor panelBottom() {
    return hex(0x111410);
}
QColor surface() {
    return hex(0x20251E);
}
QColor hairline() {
    return hex(0xFFFFFF, 0.08);
}
QColor ink() {
    return hex(0xF3EFE6);
}
QColor inkDim() {
    return withOpacity(ink(), 0.6);
}
QColor inkFaint() {
    return withOpacity(ink(), 0.38);
}
QColor green() {
    return hex(0x34C77B);
}
QColor greenText() {
    return hex(0x5BDB9B);
}
QColor amber() {
    return hex(0xE3A53C);
}
QColor red() {
    return hex(0xE5635C);
}
QColor blue() {
    return hex(0x4F9BE8);
}
QColor purple() {
    return hex(0x9B7BE0);
}
QColor onGreen() {
    return hex(0x0E2418);
}

QFont mono() {
    return systemFont(11, FontWeight::medium, FontDesign::monospaced);
}

QColor usageColor(double fraction) {
    return fraction >= 0.8 ? amber() : green();
}

} // namespace quorvel::Theme

namespace quorvel {

QColor pressureColor(PressureLevel level) {
    switch (level) {
    case PressureLevel::normal: return Theme::green();
    case PressureLevel::warning: return Theme::amber();
    case PressureLevel::critical: return Theme::red();
    }
    return Theme::green();
}

} // namespace quorvel
