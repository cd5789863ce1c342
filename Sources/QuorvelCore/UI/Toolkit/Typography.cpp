#include "UI/Toolkit/Typography.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace quorvel {
namespace {

QFont::Weight qtWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular: return QFont::Normal;
    case FontWeight::medium: return QFont::Medium;
    case FontWeight::semibold: return QFont::DemiBold;
    case FontWeight::bold: return QFont::Bold;
    }
    return QFont::Normal;
}

// Qt 6.4 cannot ask a face for tabular figures, so take a face whose default
// digits are tabular, preferring the common Debian ones.
QString tabularFamily() {
    static const QString family = [] {
        for (const char *candidate : {"DejaVu Sans", "Noto Sans", "Liberation Sans"}) {
            const QString name = QString::fromLatin1(candidate);
            if (QFontDatabase::hasFamily(name)) return name;
        }
        return QGuiApplication::font().family();
    }();
    return family;
}

QString monospacedFamily() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

double logicalDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

QFont systemFont(double size, FontWeight weight, FontDesign design) {
    QFont font = QGuiApplication::font();
    switch (design) {
    case FontDesign::standard: break;
    case FontDesign::tabularDigits: font.setFamily(tabularFamily()); break;
    case FontDesign::monospaced:
        font.setFamily(monospacedFamily());
        font.setStyleHint(QFont::Monospace);
        break;
    }
    font.setPointSizeF(size * 72.0 / logicalDpi());
    font.setWeight(qtWeight(weight));
    return font;
}

QFont tracked(QFont font, double tracking) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

} // namespace quorvel
