#include <gtest/gtest.h>

#include <QMenu>

#include "Engine/ProcessGovernor.h"
#include "Engine/ThresholdController.h"
#include "Support/PanelModel.h"
#include "Support/Rendering.h"
#include "UI/ApplicationList.h"
#include "UI/ConfirmationDialog.h"
#include "UI/FocusSelectView.h"
#include "UI/GovernanceConfirmation.h"
#include "UI/GroupRow.h"
#include "UI/HistoryView.h"
#include "UI/MenuContent.h"
#include "UI/PanelFooter.h"
#include "UI/ProRootView.h"
#include "UI/ThresholdRulesView.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/TextView.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// The hog flags the sample gives: Firefox and Blender.
std::vector<AppGroup> sample() {
    std::vector<AppGroup> groups = test::sampledGroups(12);
    groups[0].isKnownHog = true;
    groups[5].isKnownHog = true;
    return groups;
}

QAction *settingsEntry(const MenuContent &content, const std::string &key) {
    for (QAction *action : test::entries(*content.footer()->settingsMenu()))
        if (action->text() == qtText(L10n::t(key))) return action;
    return nullptr;
}

TEST(ProRootView, MovesBetweenItsScreensAndOpensAfreshAfterClosing) {
    test::PanelModel panel;
    panel.sample(sample());
    ProRootView root(*panel.model);
    MenuContent *content = root.content();
    const auto visible = [&](QWidget *widget) { return widget->isVisibleTo(&root); };
    EXPECT_EQ(content->mode(), PanelMode::normal);
    EXPECT_TRUE(visible(content->list()));
    EXPECT_TRUE(visible(content->footer()));
    EXPECT_FALSE(visible(content->focusBannerBox()));
    EXPECT_EQ(content->list()->rowCount(), ApplicationList::kTopCount);
    test::saveShot(test::render(root), QStringLiteral("root-normal"));

    content->footer()->enterButton()->click();
    EXPECT_EQ(content->mode(), PanelMode::focusSelect);
    EXPECT_TRUE(visible(content->focusSelect()));
    EXPECT_TRUE(visible(content->footer()));
    EXPECT_FALSE(visible(content->list()));
    const auto groups = panel.model->groups();
    EXPECT_EQ(content->focusSelect()->selected(),
              (std::set<std::string>{groups[0].key, groups[5].key}));
    test::saveShot(test::render(root), QStringLiteral("root-focus-select"));
    content->focusSelect()->cancelButton()->click();
    EXPECT_EQ(content->mode(), PanelMode::normal);
    EXPECT_FALSE(panel.model->governor().focusSession());

    content->footer()->historyButton()->click();
    EXPECT_EQ(content->mode(), PanelMode::history);
    EXPECT_FALSE(visible(content->footer()));
    EXPECT_TRUE(visible(content->history()));

    settingsEntry(*content, "pro.settings.rules")->trigger();
    EXPECT_EQ(content->mode(), PanelMode::rules);
    EXPECT_TRUE(visible(content->rules()));
    content->rules()->doneButton()->click();
    EXPECT_EQ(content->mode(), PanelMode::normal);

    // Closing the panel forgets the screen and a pending request.
    root.show();
    content->footer()->historyButton()->click();
    content->list()->row(groups[1].key)->menu()->actions().front()->trigger();
    ASSERT_TRUE(content->confirmation()->pending());
    root.hide();
    EXPECT_EQ(content->mode(), PanelMode::normal);
    EXPECT_FALSE(content->confirmation()->pending());
    EXPECT_FALSE(content->confirmation()->dialog()->isPresented());

    ProRootView rulesFirst(*panel.model, ProPanelScreen::rules);
    EXPECT_EQ(rulesFirst.content()->mode(), PanelMode::rules);
}

TEST(ProRootView, FocusModeFreezesTheChosenAndTheBannerAndExitFollowTheSession) {
    test::PanelModel panel;
    panel.sample(sample());
    ProRootView root(*panel.model);
    MenuContent *content = root.content();
    content->enterSelect();
    content->focusSelect()->toggle(panel.model->groups()[5].key); // leaves Firefox
    content->focusSelect()->confirmButton()->click();
    EXPECT_EQ(content->mode(), PanelMode::normal);
    const auto &session = panel.model->governor().focusSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->frozenApps, std::vector<std::string>{"Firefox"});
    EXPECT_TRUE(content->focusBannerBox()->isVisibleTo(&root));
    EXPECT_TRUE(content->footer()->enterButton()->isHidden());
    test::saveShot(test::render(root), QStringLiteral("root-focus-banner"));

    content->footer()->exitButton()->click();
    EXPECT_FALSE(panel.model->governor().focusSession());
    EXPECT_FALSE(content->focusBannerBox()->isVisibleTo(&root));
    EXPECT_FALSE(content->footer()->enterButton()->isHidden());
    EXPECT_EQ(content->history()->rows().size(), 2u);
    content->footer()->historyButton()->click();
    test::saveShot(test::render(root), QStringLiteral("root-history"));
}

TEST(ProRootView, RedrawsEverySampleKeepingRowsAndAPendingConfirmation) {
    test::PanelModel panel;
    std::vector<AppGroup> groups = sample();
    panel.sample(groups);
    ProRootView root(*panel.model);
    root.show();
    MenuContent *content = root.content();
    GroupRow *row = content->list()->row(groups[2].key);
    row->menu()->actions().front()->trigger(); // freeze, which asks first
    ASSERT_TRUE(content->confirmation()->pending());
    const auto id = content->confirmation()->pending()->id;

    for (int i = 0; i < 3; ++i) {
        for (AppGroup &group : groups) group.current += 1 << 20;
        panel.sample(groups);
    }
    EXPECT_EQ(content->list()->row(groups[2].key), row);
    EXPECT_EQ(row->footprint()->text(), qtText(Format::bytes(groups[2].current)));
    ASSERT_TRUE(content->confirmation()->pending());
    EXPECT_EQ(content->confirmation()->pending()->id, id);
    EXPECT_TRUE(content->confirmation()->dialog()->isPresented());
    test::saveShot(test::render(root), QStringLiteral("root-confirmation"));
}

TEST(ProRootView, SettingsChooseTheIntervalAndNameArmedRules) {
    test::PanelModel panel;
    panel.sample(sample());
    ProRootView root(*panel.model);
    MenuContent *content = root.content();
    for (QAction *action : test::entries(*content->footer()->settingsMenu()))
        if (action->text() == QStringLiteral("5s")) {
            action->trigger();
            break;
        }
    EXPECT_DOUBLE_EQ(panel.model->intervalSeconds(), 5.0);

    ThresholdController &thresholds = panel.model->thresholds();
    EXPECT_NE(settingsEntry(*content, "pro.settings.rules"), nullptr);
    thresholds.addRule(panel.model->groups()[0].key, "Firefox");
    ThresholdRule rule = thresholds.rules().front();
    rule.isEnabled = true;
    thresholds.update(rule);
    thresholds.setAutomaticGovernanceOn(true);
    ASSERT_TRUE(thresholds.isArmed());
    EXPECT_EQ(settingsEntry(*content, "pro.settings.rules"), nullptr);
    EXPECT_NE(settingsEntry(*content, "pro.settings.rules.armed"), nullptr);
}

} // namespace
} // namespace quorvel
