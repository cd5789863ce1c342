#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>

#include "App/TrayIconImage.h"
#include "Support/Rendering.h"

namespace quorvel {
namespace {

// Only the glyph is drawn, in one colour: the tray shows it on its own panel.
TEST(TrayIconImage, DrawsEachLevelsSymbolMonochromeAtTheTraysSizes) {
    const char *symbols[] = {"memorychip", "exclamationmark.circle",
                             "exclamationmark.triangle.fill"};
    const int sizes[] = {16, 22, 24, 32, 48};
    QImage strip(5 * 56, 3 * 56, QImage::Format_ARGB32);
    strip.fill(QColor(0x2b, 0x2b, 0x2b));
    QPainter painter(&strip);
    for (int row = 0; row < 3; ++row) {
        const QIcon icon = trayIconImage(symbols[row]);
        for (int column = 0; column < 5; ++column) {
            SCOPED_TRACE(symbols[row]);
            const QImage image = icon.pixmap(sizes[column]).toImage();
            EXPECT_EQ(image.size(), QSize(sizes[column], sizes[column]));
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (pixel.alpha() < 200) continue;
                    ++inked;
                    EXPECT_TRUE(test::near(pixel, trayForeground(), 2));
                }
            }
            EXPECT_GT(inked, sizes[column]);
            painter.drawImage(column * 56 + 4, row * 56 + 4, image);
        }
    }
    painter.end();
    test::saveShot(strip, QStringLiteral("tray-icons"));
}

TEST(TrayIconImage, IsLightUnlessThePanelIsThemedByTheDesktop) {
    const QByteArray saved = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_GT(trayForeground().lightness(), 200);
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    EXPECT_EQ(trayForeground(), QGuiApplication::palette().color(QPalette::WindowText));
    qputenv("XDG_CURRENT_DESKTOP", saved);
}

} // namespace
} // namespace quorvel
