#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QHBoxLayout>

#include <limits>

#include "Support/Rendering.h"
#include "UI/Badge.h"
#include "UI/GreenCTAButton.h"
#include "UI/PanelBackground.h"
#include "UI/PanelIconButton.h"
#include "UI/PanelLabel.h"
#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {
namespace {

TEST(Theme, UsageColourTurnsAmberAtFourFifths) {
    EXPECT_EQ(Theme::usageColor(0.8), Theme::amber());
    EXPECT_EQ(Theme::usageColor(0.7999), Theme::green());
    EXPECT_EQ(Theme::usageColor(1.5), Theme::amber());
    EXPECT_EQ(Theme::usageColor(std::numeric_limits<double>::quiet_NaN()), Theme::green());
}

TEST(Theme, PressureColourFollowsTheLevel) {
    EXPECT_EQ(pressureColor(PressureLevel::normal), Theme::green());
    EXPECT_EQ(pressureColor(PressureLevel::warning), Theme::amber());
    EXPECT_EQ(pressureColor(PressureLevel::critical), Theme::red());
}

TEST(Theme, HexSplitsTheComponentsAndKeepsTheOpacity) {
    const QColor color = Theme::hex(0x34C77B, 0.5);
    EXPECT_EQ(color.red(), 52);
    EXPECT_EQ(color.green(), 199);
    EXPECT_EQ(color.blue(), 123);
    EXPECT_NEAR(color.alphaF(), 0.5, 0.01);
    EXPECT_NEAR(Theme::inkDim().alphaF(), 0.6, 0.01);
    EXPECT_NEAR(Theme::hairline().alphaF(), 0.08, 0.01);
}

// Figures that change every second must not shift sideways.
TEST(Typography, FiguresHaveDigitsOfOneWidth) {
    for (const QFont &font :
         {systemFont(16, FontWeight::semibold, FontDesign::tabularDigits),
          systemFont(13, FontWeight::semibold, FontDesign::tabularDigits), Theme::mono()}) {
        SCOPED_TRACE(font.family().toStdString());
        const QFontMetricsF metrics(font);
        const qreal one = metrics.horizontalAdvance(QStringLiteral("1111"));
        for (const char *digits : {"0000", "4444", "7777", "8888"}) {
            EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QString::fromLatin1(digits)), one);
        }
    }
}

TEST(PanelLabel, ShowsItsTextInCapitals) {
    PanelLabel label(QStringLiteral("Peak"));
    EXPECT_EQ(label.text(), QStringLiteral("PEAK"));
    EXPECT_EQ(label.color(), Theme::inkFaint());
    EXPECT_NEAR(label.fittedFont().letterSpacing(), 1.1, 0.01);
}

TEST(Badge, WashesItsFillInItsOwnColour) {
    Badge badge(QStringLiteral("HOG"), Theme::red());
    EXPECT_EQ(badge.foreground(), Theme::red());
    EXPECT_EQ(badge.background().rgb(), Theme::red().rgb());
    EXPECT_NEAR(badge.background().alphaF(), 0.16, 0.01);
    const QImage image = test::render(badge);
    test::saveShot(image, QStringLiteral("badge"));
    // Text fits inside the padding.
    EXPECT_GE(badge.width(), QFontMetricsF(badge.font()).horizontalAdvance(badge.text()));
}

TEST(StyledButton, DimsItsFillWhileHeldDown) {
    struct Case {
        ButtonStyle style;
        double pressed;
    };
    for (const Case &c : {Case{GreenCTAButton(), 0.82}, Case{PanelIconButton(), 0.55},
                          Case{PanelOutlineButton(), 0.55}}) {
        StyledButton button(c.style, QStringLiteral("Go"));
        EXPECT_EQ(button.fillOpacity(), 1.0);
        button.setDown(true);
        EXPECT_DOUBLE_EQ(button.fillOpacity(), c.pressed);
        button.setDown(false);
        EXPECT_EQ(button.fillOpacity(), 1.0);
    }
}

TEST(StyledButton, RendersEachStyleWithItsFillAndLabel) {
    PanelBackground panel;
    auto *row = new QHBoxLayout(&panel);
    row->setContentsMargins(12, 12, 12, 12);
    auto *cta = new StyledButton(GreenCTAButton(), QStringLiteral("Focus"), "moon.zzz.fill");
    cta->setLabelSpacing(8);
    auto *icon = new StyledButton(PanelIconButton(), QString(), "clock.arrow.circlepath");
    auto *outline =
        new StyledButton(PanelOutlineButton(), QStringLiteral("Exit"), "play.circle.fill");
    row->addWidget(cta);
    row->addWidget(icon);
    row->addWidget(outline);
    panel.setFixedWidth(400);
    const QImage image = test::render(panel);
    test::saveShot(image, QStringLiteral("buttons"));

    EXPECT_EQ(icon->size(), QSize(42, 42));
    EXPECT_GT(cta->width(), outline->width()); // the primary action takes the free width
    const QPoint ctaFill = cta->geometry().topLeft() + QPoint(cta->width() - 6, cta->height() / 2);
    EXPECT_TRUE(test::near(image.pixelColor(ctaFill), Theme::green(), 4));
    EXPECT_TRUE(test::contains(image, Theme::onGreen(), cta->geometry(), 30));
    const QPoint iconFill = icon->geometry().topLeft() + QPoint(6, 6);
    EXPECT_TRUE(test::near(image.pixelColor(iconFill), Theme::surface(), 6));
}

TEST(PanelBackground, FadesFromTopToBottomColour) {
    PanelBackground panel;
    panel.setFixedSize(800, 300);
    const QImage image = test::render(panel);
    // The glow reaches 320 px from the top centre; the corners lie beyond it.
    EXPECT_TRUE(test::near(image.pixelColor(0, 0), Theme::panelTop(), 3));
    EXPECT_TRUE(test::near(image.pixelColor(0, 299), Theme::panelBottom(), 3));
    EXPECT_GT(image.pixelColor(400, 1).green(), image.pixelColor(0, 1).green());
}

} // namespace
} // namespace quorvel
