#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>

#include <string_view>

class QPainter;

namespace quorvel::SymbolImage {

// Where Debian installs the icon font (fonts-material-design-icons-iconfont).
inline constexpr char kFontPath[] =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

// Material glyphs leave a margin inside their em; a symbol beside text of
// size N gets an em of N times this, so its ink matches the text's height.
inline constexpr double kTextScale = 1.2;

// Registers the icon font with the application once; false when it cannot be
// had, in which case symbols are drawn as a plain outlined square. Needs the
// application object; main thread only.
bool loadFont();

// The icon font with its em at `pixelSize`.
QFont font(double pixelSize);

// Draws the symbol's glyph centred in `bounds`, as large as fits.
void draw(QPainter &painter, const QRectF &bounds, std::string_view symbol, const QColor &color);

// The symbol drawn alone on a transparent square of `size` device-independent
// pixels.
QPixmap pixmap(std::string_view symbol, int size, const QColor &color, qreal devicePixelRatio = 1);

} // namespace quorvel::SymbolImage
