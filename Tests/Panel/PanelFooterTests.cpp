#include <gtest/gtest.h>

#include <QMenu>

#include <memory>

#include "Support/PanelFixtures.h"
#include "Support/Rendering.h"
#include "UI/PanelFooter.h"
#include "UI/Toolkit/Opacity.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/StyledButton.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

struct FooterOnPanel {
    std::vector<std::string> calls;
    std::vector<double> intervals;
    PanelFooter *footer = new PanelFooter(
        {[this] { calls.push_back("enterSelect"); }, [this] { calls.push_back("exitFocus"); },
         [this] { calls.push_back("history"); },
         [this](double seconds) { intervals.push_back(seconds); },
         [this] { calls.push_back("rules"); }, [this] { calls.push_back("quit"); }});
    std::unique_ptr<PanelBackground> panel{test::panelFrame(footer)};

    QAction *entry(const QString &text) const {
        for (QAction *action : test::entries(*footer->settingsMenu()))
            if (action->text() == text) return action;
        return nullptr;
    }
};

TEST(PanelFooter, OffersFocusOnlyWithCandidatesAndExitWhileASessionRuns) {
    FooterOnPanel view;
    view.footer->setFocusState(false, false);
    EXPECT_FALSE(view.footer->enterButton()->isHidden());
    EXPECT_FALSE(view.footer->enterButton()->isEnabled());
    EXPECT_DOUBLE_EQ(drawnOpacity(view.footer->enterButton()), 0.5);
    view.footer->enterButton()->click();
    EXPECT_TRUE(view.calls.empty());
    test::saveShot(test::render(*view.panel), QStringLiteral("panel-footer-no-candidates"));

    view.footer->setFocusState(false, true);
    EXPECT_DOUBLE_EQ(drawnOpacity(view.footer->enterButton()), 1.0);
    view.footer->enterButton()->click();

    view.footer->setFocusState(true, true);
    EXPECT_TRUE(view.footer->enterButton()->isHidden());
    EXPECT_FALSE(view.footer->exitButton()->isHidden());
    EXPECT_EQ(view.footer->exitButton()->style().labelColor, Theme::amber());
    view.footer->exitButton()->click();
    view.footer->historyButton()->click();
    EXPECT_EQ(view.footer->historyButton()->toolTip(), qtText(L10n::t("pro.history.help")));
    test::saveShot(test::render(*view.panel), QStringLiteral("panel-footer-focus"));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"enterSelect", "exitFocus", "history"}));
}

TEST(PanelFooter, SettingsMenuChoosesTheIntervalOpensRulesAndQuits) {
    FooterOnPanel view;
    view.footer->setIntervalSeconds(5.0);
    std::vector<QString> texts;
    for (QAction *action : test::entries(*view.footer->settingsMenu()))
        texts.push_back(action->text());
    const QString rules = qtText(L10n::t("pro.settings.rules"));
    const QString quit = qtText(L10n::t("pro.settings.quit"));
    EXPECT_EQ(texts, (std::vector<QString>{qtText(L10n::t("pro.settings.refreshInterval")),
                                           QStringLiteral("1s"), QStringLiteral("2s"),
                                           QStringLiteral("5s"), rules, quit}));
    EXPECT_TRUE(view.entry(QStringLiteral("5s"))->isChecked());
    EXPECT_FALSE(view.entry(QStringLiteral("2s"))->isChecked());
    view.entry(QStringLiteral("1s"))->trigger();
    EXPECT_EQ(view.intervals, std::vector<double>{1.0});

    view.footer->setRulesArmed(true);
    EXPECT_EQ(view.entry(rules), nullptr);
    view.entry(qtText(L10n::t("pro.settings.rules.armed")))->trigger();
    view.entry(quit)->trigger();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"rules", "quit"}));
    test::saveShot(test::render(*view.footer->settingsMenu()),
                   QStringLiteral("panel-settings-menu"));
}

} // namespace
} // namespace quorvel
