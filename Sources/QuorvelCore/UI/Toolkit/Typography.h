#pragma once

#include <QFont>

namespace quorvel {

enum class FontWeight { regular, medium, semibold, bold };

enum class FontDesign {
    standard,      // the platform's UI face
    tabularDigits, // a face whose digits all have one width, for figures that change
    monospaced,
};

// Text of the panel is sized in device-independent pixels, so it keeps its
// place in fixed frames whatever point size the desktop maps to them.
QFont systemFont(double size, FontWeight weight, FontDesign design = FontDesign::standard);

// The same font with `tracking` pixels between letters.
QFont tracked(QFont font, double tracking);

} // namespace quorvel
