#pragma once

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QSize>

#include <optional>

namespace quorvel {

// How a `StyledButton` draws itself; the fill's opacity follows the pressed
// state.
struct ButtonStyle {
    QFont font;
    QColor labelColor;
    QColor fill;
    double pressedFillOpacity = 1.0;
    double cornerRadius = 0;
    std::optional<QColor> border; // one pixel wide, inside the edge
    QMargins insets;              // around the label
    std::optional<QSize> fixedSize;
    bool stretchesToWidth = false;
};

// The label alone, on no fill.
inline ButtonStyle labelOnly(const QFont &font, const QColor &color) {
    ButtonStyle style;
    style.font = font;
    style.labelColor = color;
    style.fill = Qt::transparent;
    return style;
}

} // namespace quorvel
