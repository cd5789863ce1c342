#include <gtest/gtest.h>

#include <QFile>
#include <QRawFont>
#include <QRegularExpression>

#include "Support/Rendering.h"
#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/LinkButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "Util/SymbolGlyphs.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

// Every symbol name the panel's views draw.
const char *const kNamedByViews[] = {"memorychip",
                                     "exclamationmark.circle",
                                     "exclamationmark.triangle.fill",
                                     "checkmark.circle.fill",
                                     "xmark.circle.fill",
                                     "chevron.right",
                                     "circle",
                                     "clock.arrow.circlepath",
                                     "ellipsis",
                                     "gearshape",
                                     "gearshape.2",
                                     "info.circle",
                                     "info.circle.fill",
                                     "lock.fill",
                                     "moon.zzz.fill",
                                     "play.circle.fill",
                                     "play.fill",
                                     "pause.fill",
                                     "arrow.clockwise",
                                     "plus.circle.fill",
                                     "trash",
                                     "star",
                                     "internaldrive.fill",
                                     "rectangle.compress.vertical"};

int inkedPixels(const QPixmap &pixmap) {
    const QImage image = pixmap.toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).alpha() > 64;
    }
    return count;
}

TEST(SymbolGlyphs, KnowsEverySymbolTheViewsName) {
    for (const char *symbol : kNamedByViews) {
        SCOPED_TRACE(symbol);
        EXPECT_EQ(SymbolGlyphs::glyphFor(symbol).symbol, symbol);
    }
    EXPECT_EQ(SymbolGlyphs::glyphFor("no.such.symbol").glyphName,
              SymbolGlyphs::kFallback.glyphName);
    EXPECT_EQ(SymbolGlyphs::glyphFor("").glyphName, SymbolGlyphs::kFallback.glyphName);
}

// The codepoints are copied from the font's own name list; a wrong one would
// draw some other picture.
TEST(SymbolGlyphs, CodepointsMatchTheFontsNameList) {
    QFile list(
        QStringLiteral("/usr/share/fonts-material-design-icons-iconfont/scss/_variables.scss"));
    if (!list.open(QIODevice::ReadOnly)) GTEST_SKIP() << "the font's name list is not installed";
    const QString names = QString::fromUtf8(list.readAll());
    std::vector<SymbolGlyph> glyphs(SymbolGlyphs::table().begin(), SymbolGlyphs::table().end());
    glyphs.push_back(SymbolGlyphs::kFallback);
    for (const SymbolGlyph &glyph : glyphs) {
        SCOPED_TRACE(std::string(glyph.glyphName));
        const QRegularExpression entry(
            QStringLiteral("\"%1\": ([0-9a-f]+),")
                .arg(QString::fromUtf8(glyph.glyphName.data(), qsizetype(glyph.glyphName.size()))));
        const QRegularExpressionMatch match = entry.match(names);
        ASSERT_TRUE(match.hasMatch());
        EXPECT_EQ(match.captured(1).toUInt(nullptr, 16), glyph.codepoint);
    }
}

TEST(SymbolImage, DrawsEveryGlyphFromTheIconFont) {
    ASSERT_TRUE(SymbolImage::loadFont());
    const QRawFont font = QRawFont::fromFont(SymbolImage::font(24));
    for (const SymbolGlyph &glyph : SymbolGlyphs::table()) {
        SCOPED_TRACE(std::string(glyph.symbol));
        EXPECT_TRUE(font.supportsCharacter(glyph.codepoint));
        EXPECT_GT(inkedPixels(SymbolImage::pixmap(glyph.symbol, 24, Qt::white)), 20);
    }
}

TEST(SymbolImage, AnUnknownNameStillDrawsSomething) {
    EXPECT_GT(inkedPixels(SymbolImage::pixmap("no.such.symbol", 24, Qt::white)), 20);
}

TEST(SymbolView, DrawsItsSymbolInItsColourAtTheTextSize) {
    SymbolView view("lock.fill", 14, Theme::amber());
    EXPECT_EQ(view.sizeHint(), QSize(17, 17)); // the glyph's em at 1.2 × 14
    const QImage image = test::render(view);
    EXPECT_TRUE(test::contains(image, Theme::amber(), {}, 10));
    view.setSymbol("no.such.symbol");
    EXPECT_TRUE(test::contains(test::render(view), Theme::amber(), {}, 10));
}

TEST(LinkButton, OffersItsAddressAsTooltip) {
    const QUrl address(QStringLiteral("https://example.org/review"));
    LinkButton link(PanelOutlineButton(), QStringLiteral("Rate"), "star", address);
    EXPECT_EQ(link.address(), address);
    EXPECT_EQ(link.toolTip(), address.toDisplayString());
}

} // namespace
} // namespace quorvel
