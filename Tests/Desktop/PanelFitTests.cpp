#include <gtest/gtest.h>

#include <QImage>

#include "Support/QuorvelRun.h"
#include "Support/TrayDesktop.h"

namespace quorvel {
namespace {

class PanelFit : public ::testing::TestWithParam<const char *> {};

// Each scene in the real tray: row menus 16 points inside the list, the card's delete
// button 16 + 14, a render the panel's size; the open focus picker is the only way in.
TEST_P(PanelFit, RowsAndRuleCardsFitTheListAndARenderIsThePanel) {
    if (!test::desktopToolsInstalled()) GTEST_SKIP() << "a desktop tool is not installed";
    test::TrayDesktop desktop;
    ASSERT_TRUE(desktop.ready());
    QProcessEnvironment &environment = desktop.environment();
    environment.insert(QStringLiteral("QUORVEL_LOCALE"), QLatin1String(GetParam()));
    for (const QString scene : {"focusBefore", "focusAfter", "thresholdRules"}) {
        test::TrayDesktop::stop(desktop.quorvel());
        QFile::remove(desktop.home("widgets.txt"));
        environment.insert(QStringLiteral("QUORVEL_DEMO_SCENE"), scene);
        ASSERT_TRUE(desktop.startQuorvel() && desktop.waitForSettled(QStringLiteral("panel")));
        const std::map<QString, test::MappedWidget> shown = desktop.freshWidgets();
        const QRect list = shown.at(QStringLiteral("qt_scrollarea_viewport")).frame;
        int checked = 0;
        for (const auto &[name, widget] : shown) {
            const bool menu = name.endsWith(QStringLiteral(":menu"));
            if (!menu && !name.endsWith(QStringLiteral(":delete"))) continue;
            EXPECT_EQ(list.right() - widget.frame.right(), menu ? 16 : 30) << qPrintable(name);
            ++checked;
        }
        EXPECT_EQ(checked, scene == QStringLiteral("thresholdRules") ? 1 : 6) << qPrintable(scene);
        const QString picture = desktop.home("") + scene + QStringLiteral(".png");
        test::runQuorvel({"--render", scene, "--output", picture}, environment);
        EXPECT_EQ(QImage(picture).size(), shown.at(QStringLiteral("panel")).frame.size())
            << qPrintable(picture);
        if (scene != QStringLiteral("focusBefore")) continue;
        ASSERT_TRUE(
            desktop.press(QStringLiteral("footer:enterFocus"), QStringLiteral("focus:confirm")));
        EXPECT_TRUE(desktop.shows(QStringLiteral("footer:history")) &&
                    !desktop.shows(QStringLiteral("footer:enterFocus")));
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PanelFit, ::testing::Values("en", "de", "ru", "ja"));

} // namespace
} // namespace quorvel
