#include "Util/SymbolImage.h"

#include <QFontDatabase>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "Util/SymbolGlyphs.h"

namespace quorvel::SymbolImage {
namespace {

QString &fontFamily() {
    static QString family;
    return family;
}

// Stands in for the glyph when the icon font is missing.
void drawPlaceholder(QPainter &painter, const QRectF &bounds, const QColor &color) {
    const qreal side = std::min(bounds.width(), bounds.height()) * 0.7;
    QRectF square(0, 0, side, side);
    square.moveCenter(bounds.center());
    QPen pen(color, std::max<qreal>(1.0, side / 8));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square, side / 5, side / 5);
}

} // namespace

bool loadFont() {
    static const bool loaded = [] {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(kFontPath));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            fontFamily() = families.first();
        } else if (QFontDatabase::hasFamily(QStringLiteral("Material Icons"))) {
            fontFamily() = QStringLiteral("Material Icons");
        }
        return !fontFamily().isEmpty();
    }();
    return loaded;
}

QFont font(double pixelSize) {
    loadFont();
    QFont result(fontFamily());
    result.setStyleStrategy(QFont::NoFontMerging);
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    return result;
}

void draw(QPainter &painter, const QRectF &bounds, std::string_view symbol, const QColor &color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (loadFont()) {
        painter.setFont(font(std::min(bounds.width(), bounds.height())));
        painter.setPen(color);
        const char32_t codepoint = SymbolGlyphs::glyphFor(symbol).codepoint;
        painter.drawText(bounds, Qt::AlignCenter, QString::fromUcs4(&codepoint, 1));
    } else {
        drawPlaceholder(painter, bounds, color);
    }
    painter.restore();
}

QPixmap pixmap(std::string_view symbol, int size, const QColor &color, qreal devicePixelRatio) {
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    draw(painter, QRectF(0, 0, size, size), symbol, color);
    return result;
}

} // namespace quorvel::SymbolImage
