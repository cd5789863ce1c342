#include <gtest/gtest.h>

#include <QMenu>
#include <QTemporaryDir>

#include "Defaults/SettingsDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Support/PanelFixtures.h"
#include "Support/Rendering.h"
#include "UI/RuleCard.h"
#include "UI/ThresholdRulesView.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SwitchToggle.h"
#include "UI/Toolkit/TextView.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// The editor over a controller whose settings live in a real file of a
// temporary directory.
struct EditorOnPanel {
    QTemporaryDir directory;
    QString file = directory.filePath(QStringLiteral("Quorvel.conf"));
    testing::GovernorHarness harness;
    std::unique_ptr<ThresholdController> controller = makeController();
    int closes = 0;
    ThresholdRulesView *view = new ThresholdRulesView(*controller, [this] { ++closes; });
    std::unique_ptr<PanelBackground> panel{test::panelFrame(view)};

    std::unique_ptr<ThresholdController> makeController() {
        return std::make_unique<ThresholdController>(ThresholdController::Dependencies{
            harness.governor.get(), std::make_shared<platform::SettingsDefaultsStore>(file),
            nullptr});
    }

    // The rules as a fresh controller reads them back from the file.
    std::vector<ThresholdRule> stored() { return makeController()->rules(); }
    bool storedSwitch() { return makeController()->isAutomaticGovernanceOn(); }
};

std::vector<QString> texts(const QMenu &menu) {
    std::vector<QString> found;
    for (QAction *action : test::entries(menu)) found.push_back(action->text());
    return found;
}

void choose(const QMenu &menu, const QString &text) {
    for (QAction *action : test::entries(menu)) {
        if (action->text() == text) return action->trigger();
    }
    FAIL() << "no entry " << text.toStdString();
}

TEST(ThresholdRulesView, WithoutRulesOffersTheSwitchTheAddMenuAndTheEmptyNote) {
    EditorOnPanel editor;
    EXPECT_TRUE(editor.view->cards().empty());
    EXPECT_TRUE(editor.view->emptyNote()->isVisibleTo(editor.view));
    EXPECT_EQ(texts(*editor.view->addMenu()),
              std::vector<QString>{qtText(L10n::t("pro.rules.sampling"))});
    EXPECT_FALSE(test::entries(*editor.view->addMenu())[0]->isEnabled());
    EXPECT_EQ(editor.view->masterStateWord()->text(), qtText(L10n::t("pro.rules.off")));
    test::saveShot(test::render(*editor.panel), QStringLiteral("rules-empty"));

    editor.view->masterSwitch()->click();
    EXPECT_TRUE(editor.controller->isAutomaticGovernanceOn());
    EXPECT_TRUE(editor.storedSwitch());
    EXPECT_EQ(editor.view->masterStateWord()->text(), qtText(L10n::t("pro.rules.on")));
    editor.view->doneButton()->click();
    EXPECT_EQ(editor.closes, 1);
}

TEST(ThresholdRulesView, OffersTheFirstTwelveApplicationsAndAddsARuleForOne) {
    EditorOnPanel editor;
    const std::vector<AppGroup> groups = test::sampledGroups(20);
    editor.view->setCandidates(groups);
    std::vector<QString> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back(qtText(groups[i].displayName));
    EXPECT_EQ(texts(*editor.view->addMenu()), twelve);

    choose(*editor.view->addMenu(), qtText(groups[3].displayName));
    choose(*editor.view->addMenu(), qtText(groups[3].displayName)); // a second is allowed
    const std::vector<ThresholdRule> stored = editor.stored();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].appKey, groups[3].key);
    EXPECT_EQ(stored[0].appName, groups[3].displayName);
    EXPECT_EQ(stored[0].limitBytes, 6ull << 30);
    EXPECT_FALSE(stored[0].isEnabled);
    ASSERT_EQ(editor.view->cards().size(), 2u);
    EXPECT_FALSE(editor.view->emptyNote()->isVisibleTo(editor.view));
    EXPECT_EQ(texts(*editor.view->cards()[0]->applicationMenu()), twelve);
}

// On a live panel, where nothing lays the view out afresh from outside.
TEST(ThresholdRulesView, TheListGrowsWithItsCardsAndALongNameFitsThePanel) {
    EditorOnPanel editor;
    editor.panel->show();
    const auto *area = editor.view->findChild<ScrollArea *>();
    ASSERT_NE(area, nullptr);
    const auto settle = [] {
        for (int pass = 0; pass < 4; ++pass) QCoreApplication::processEvents();
    };
    settle();
    const int emptyHeight = area->height();

    const std::string longName = "An Application With A Name Far Too Long For One Row";
    editor.controller->addRule("org.example.long", longName);
    settle();
    EXPECT_GT(area->height(), emptyHeight);
    ASSERT_EQ(editor.view->cards().size(), 1u);
    const RuleCard *card = editor.view->cards()[0];
    EXPECT_LE(card->geometry().right(), area->viewport()->width());
    const StyledButton *picker = card->applicationPicker();
    EXPECT_LT(picker->width(), picker->sizeHint().width()) << "the name gives way";
    test::saveShot(test::render(*editor.panel), QStringLiteral("rules-long-name"));
}

TEST(ThresholdRulesView, EveryCardEditReachesTheSettingsFile) {
    EditorOnPanel editor;
    const std::vector<AppGroup> groups = test::sampledGroups(4);
    editor.view->setCandidates(groups);
    editor.controller->addRule(groups[0].key, groups[0].displayName);
    RuleCard *card = editor.view->cards().at(0);
    EXPECT_EQ(card->status()->text(), qtText(L10n::t("pro.rules.status.off")));

    choose(*card->limitMenu(), qtText(Format::bytes(6ull << 30)));
    EXPECT_EQ(editor.stored()[0].limitBytes, 6442450944u);
    choose(*card->limitMenu(), qtText(Format::bytes(16ull << 30)));
    EXPECT_EQ(editor.stored()[0].limitBytes, 16ull << 30);
    EXPECT_EQ(card->limitPicker()->text(), qtText(Format::bytes(16ull << 30)));
    choose(*card->sustainedMenu(), qtText(L10n::plural("pro.rules.minutes", 30)));
    EXPECT_DOUBLE_EQ(editor.stored()[0].sustainedSeconds, 1800);
    choose(*card->applicationMenu(), qtText(groups[2].displayName));
    EXPECT_EQ(editor.stored()[0].appKey, groups[2].key);
    EXPECT_EQ(card->applicationPicker()->text(), qtText(groups[2].displayName));

    card->actionButtons()[2]->click(); // suspend
    EXPECT_EQ(editor.stored()[0].action, RuleAction::suspend);
    card->enabledSwitch()->click();
    EXPECT_TRUE(editor.stored()[0].isEnabled);
    EXPECT_EQ(card->status()->text(), qtText(L10n::t("pro.rules.status.masterOff")));
    editor.view->masterSwitch()->click();
    EXPECT_EQ(card->status()->text(), qtText(L10n::t("pro.rules.status.armedAction")));
    card->actionButtons()[0]->click(); // notify
    EXPECT_EQ(card->status()->text(), qtText(L10n::t("pro.rules.status.armedNotify")));
    EXPECT_EQ(editor.view->cards().at(0), card); // the same card throughout
    test::saveShot(test::render(*editor.panel), QStringLiteral("rules-card"));

    card->deleteButton()->click();
    EXPECT_TRUE(editor.stored().empty());
    EXPECT_TRUE(editor.view->cards().empty());
}

TEST(RuleCard, StatusFollowsTheRuleAndTheMasterSwitch) {
    ThresholdRule rule;
    const struct {
        bool enabled;
        bool master;
        RuleAction action;
        const char *key;
    } cases[] = {
        {false, true, RuleAction::suspend, "pro.rules.status.off"},
        {false, false, RuleAction::notify, "pro.rules.status.off"},
        {true, false, RuleAction::restart, "pro.rules.status.masterOff"},
        {true, true, RuleAction::notify, "pro.rules.status.armedNotify"},
        {true, true, RuleAction::restart, "pro.rules.status.armedAction"},
        {true, true, RuleAction::suspend, "pro.rules.status.armedAction"},
    };
    for (const auto &expected : cases) {
        rule.isEnabled = expected.enabled;
        rule.action = expected.action;
        EXPECT_EQ(statusLine(rule, expected.master), L10n::t(expected.key)) << expected.key;
    }
}

} // namespace
} // namespace quorvel
