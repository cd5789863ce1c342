#include <gtest/gtest.h>

#include <QMenu>
#include <QScrollBar>

#include <memory>

#include "Support/PanelFixtures.h"
#include "Support/Rendering.h"
#include "UI/AppIconView.h"
#include "UI/ApplicationList.h"
#include "UI/Badge.h"
#include "UI/ConfirmationDialog.h"
#include "UI/GovernanceConfirmation.h"
#include "UI/GroupRow.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/TextView.h"
#include "UI/UsageBar.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using Kind = PendingGovernance::Kind;

// The list as the panel holds it: rows whose freeze and restart ask first.
struct ListOnPanel {
    testing::GovernorHarness harness;
    ApplicationList *list = nullptr;
    PanelBackground *panel = nullptr;
    GovernanceConfirmation *confirmation = nullptr;

    ListOnPanel() {
        list = new ApplicationList(
            *harness.governor,
            {[this](const AppGroup &group) { confirmation->request(group, Kind::suspend); },
             [this](const AppGroup &group) { harness.governor->resume(group); },
             [this](const AppGroup &group) { confirmation->request(group, Kind::restart); }});
        panel = test::panelFrame(list);
        confirmation = new GovernanceConfirmation(*harness.governor, panel);
    }
    ~ListOnPanel() { delete panel; }

    // Picks the menu entry with `text` on the row of `key`.
    void choose(const std::string &key, const std::string &text) {
        GroupRow *row = list->row(key);
        ASSERT_NE(row, nullptr);
        for (QAction *action : test::entries(*row->menu())) {
            if (action->text() == qtText(text)) return action->trigger();
        }
        FAIL() << "no entry " << text;
    }

    // Presses the dialog's button labelled `text`.
    void press(const std::string &text) {
        for (auto *button : confirmation->dialog()->findChildren<StyledButton *>()) {
            if (button->isVisible() && button->text() == qtText(text)) return button->click();
        }
        FAIL() << "no button " << text;
    }

    std::vector<QString> dialogTexts() const {
        std::vector<QString> texts;
        for (auto *text : confirmation->dialog()->findChildren<TextView *>())
            if (!text->isHidden()) texts.push_back(text->text());
        return texts;
    }
};

std::vector<QString> menuTexts(const GroupRow &row) {
    std::vector<QString> texts;
    for (QAction *action : test::entries(*row.menu())) texts.push_back(action->text());
    return texts;
}

TEST(GroupRow, ShowsBadgeBarCaptionAndMenuByTheGroupsState) {
    ListOnPanel view;
    std::vector<AppGroup> groups = test::sampledGroups(5, 5ull << 30);
    groups[0].isKnownHog = true;          // hog, the largest: full amber bar
    groups[1].current = (5ull << 30) / 2; // half the largest
    groups[1].processes.resize(1);
    groups[2].current = 4ull << 30; // 80 per cent: amber
    groups[2].processes.push_back(groups[2].processes.back());
    groups[2].processes.back().pid += 5;
    groups[3].isStopped = true; // frozen wins over hog
    groups[3].isKnownHog = true;
    view.list->showGroups(groups);

    const QString hog = qtText(L10n::t("pro.badge.hog"));
    const QString frozen = qtText(L10n::t("pro.badge.frozen"));
    const std::vector<QString> act = {qtText(L10n::t("pro.action.suspend")),
                                      qtText(L10n::t("pro.action.restart"))};
    const struct {
        int index;
        std::optional<QString> badge;
        QColor badgeColor;
        double fraction;
        QColor barColor;
        QString caption;
        std::vector<QString> menu;
        double iconOpacity;
    } cases[] = {
        {0, hog, Theme::amber(), 1.0, Theme::amber(),
         qtText(L10n::plural("pro.list.procsPeak", 2, Format::bytes(groups[0].peak))), act, 1},
        {1,
         std::nullopt,
         {},
         0.5,
         Theme::green(),
         qtText(L10n::t("pro.list.peak", Format::bytes(groups[1].peak))),
         act,
         1},
        {2,
         std::nullopt,
         {},
         0.8,
         Theme::amber(),
         qtText(L10n::plural("pro.list.procsPeak", 3, Format::bytes(groups[2].peak))),
         act,
         1},
        {3,
         frozen,
         Theme::blue(),
         GroupRow::fraction(groups[3].current, 5ull << 30),
         Theme::inkFaint(),
         qtText(L10n::plural("pro.list.procsPeak", 2, Format::bytes(groups[3].peak))),
         {qtText(L10n::t("pro.action.resume"))},
         0.5},
    };
    for (const auto &expected : cases) {
        SCOPED_TRACE(expected.index);
        const AppGroup &group = groups[expected.index];
        GroupRow *row = view.list->row(group.key);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->name()->text(), qtText(group.displayName));
        EXPECT_EQ(row->footprint()->text(), qtText(Format::bytes(group.current)));
        EXPECT_EQ(!row->badge()->isHidden(), expected.badge.has_value());
        if (expected.badge) {
            EXPECT_EQ(row->badge()->text(), *expected.badge);
            EXPECT_EQ(row->badge()->foreground(), expected.badgeColor);
        }
        EXPECT_DOUBLE_EQ(row->bar()->fraction(), expected.fraction);
        EXPECT_EQ(row->bar()->color(), expected.barColor);
        EXPECT_EQ(row->caption()->text(), expected.caption);
        EXPECT_EQ(menuTexts(*row), expected.menu);
        EXPECT_DOUBLE_EQ(row->icon()->iconOpacity(), expected.iconOpacity);
    }
    EXPECT_DOUBLE_EQ(GroupRow::fraction(5, 0), 5.0);
    EXPECT_DOUBLE_EQ(GroupRow::fraction(1, 1), 1.0);

    const QImage image = test::render(*view.panel);
    test::saveShot(image, QStringLiteral("panel-list-rows"));
    EXPECT_EQ(image.width(), 400);
}

TEST(GroupRow, ABlockedGroupsMenuShowsOnlyTheReason) {
    ListOnPanel view;
    std::vector<AppGroup> groups = test::sampledGroups(2);
    view.harness.workspace->setFrontmost(
        platform::FrontmostApplication{groups[1].bundleID, groups[1].processes[0].pid});
    groups.push_back(groups[0]);
    groups.back().key = "proc:worker";
    groups.back().appPath.reset();
    view.list->showGroups(groups);

    EXPECT_EQ(menuTexts(*view.list->row(groups[0].key)).size(), 2u);
    for (const AppGroup &blocked : {groups[1], groups[2]}) {
        const auto reason = view.harness.governor->blockReason(blocked);
        ASSERT_TRUE(reason);
        const std::vector<QAction *> entries = test::entries(*view.list->row(blocked.key)->menu());
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0]->text(), qtText(*reason));
        EXPECT_FALSE(entries[0]->isEnabled());
    }
}

TEST(ApplicationList, ShowsTheSamplingNoteThenTheTopTenKeptAcrossSamples) {
    ListOnPanel view;
    EXPECT_TRUE(view.list->samplingNote()->isVisibleTo(view.list));
    EXPECT_TRUE(view.list->scrollArea()->isHidden());
    EXPECT_EQ(view.list->rowCount(), 0u);

    std::vector<AppGroup> groups = test::sampledGroups(25);
    view.list->showGroups(groups);
    EXPECT_FALSE(view.list->samplingNote()->isVisibleTo(view.list));
    EXPECT_EQ(view.list->rowCount(), ApplicationList::kTopCount);
    EXPECT_EQ(view.list->row(groups[10].key), nullptr);
    view.panel->show();
    test::render(*view.panel);
    QScrollBar *bar = view.list->scrollArea()->verticalScrollBar();
    EXPECT_EQ(view.list->scrollArea()->height(), ApplicationList::kMaximumHeight);
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();

    // A new sample: footprints move, the order swaps at the top.
    GroupRow *firstRow = view.list->row(groups[0].key);
    QMenu *firstMenu = firstRow->menu();
    const auto firstEntries = test::entries(*firstMenu);
    for (AppGroup &group : groups) group.current -= 1 << 20;
    std::swap(groups[0], groups[1]);
    view.list->showGroups(groups);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.list->row(groups[1].key), firstRow);
    EXPECT_EQ(firstRow->menu(), firstMenu);
    EXPECT_EQ(test::entries(*firstMenu), firstEntries);
    EXPECT_EQ(firstRow->footprint()->text(), qtText(Format::bytes(groups[1].current)));
    EXPECT_EQ(bar->value(), scrolled);
}

TEST(GovernanceConfirmation, AsksBeforeFreezingAndCancelLeavesTheAppRunning) {
    ListOnPanel view;
    std::vector<AppGroup> groups = test::sampledGroups(2);
    groups[1].processes.resize(1);
    view.list->showGroups(groups);
    view.panel->show();

    for (const AppGroup &group : groups) {
        SCOPED_TRACE(group.displayName);
        view.choose(group.key, L10n::t("pro.action.suspend"));
        ASSERT_TRUE(view.confirmation->dialog()->isPresented());
        ASSERT_TRUE(view.confirmation->pending());
        EXPECT_EQ(view.confirmation->pending()->kind, Kind::suspend);
        const std::string message =
            L10n::plural("pro.confirm.suspend.body", int64_t(group.processes.size()),
                         Format::bytes(group.current));
        EXPECT_EQ(
            view.dialogTexts(),
            (std::vector<QString>{qtText(L10n::t("pro.confirm.suspend.title", group.displayName)),
                                  qtText(message)}));
        view.press(L10n::t("pro.action.cancel"));
        EXPECT_FALSE(view.confirmation->dialog()->isPresented());
        EXPECT_FALSE(view.confirmation->pending());
    }
    EXPECT_TRUE(view.harness.workspace->signalCalls().empty());
    EXPECT_TRUE(view.harness.governor->history().empty());

    // A sample arriving while the dialog is up leaves the request as it was.
    view.choose(groups[0].key, L10n::t("pro.action.suspend"));
    const auto id = view.confirmation->pending()->id;
    const AppGroup asked = groups[0];
    groups[0].current += 1 << 20;
    view.list->showGroups(groups);
    ASSERT_TRUE(view.confirmation->pending());
    EXPECT_EQ(view.confirmation->pending()->id, id);
    EXPECT_EQ(view.confirmation->pending()->group, asked);
    test::saveShot(test::render(*view.panel), QStringLiteral("panel-confirm-suspend"));

    view.press(L10n::t("pro.confirm.suspend.button"));
    EXPECT_FALSE(view.confirmation->pending());
    ASSERT_EQ(view.harness.workspace->signalCalls().size(), 2u);
    EXPECT_EQ(view.harness.workspace->signalCalls()[0].signal, platform::ProcessSignal::stop);
    ASSERT_EQ(view.harness.governor->history().size(), 1u);
    EXPECT_EQ(view.harness.latest().action, GovernanceAction::suspend);
    EXPECT_TRUE(view.harness.latest().success);
}

TEST(GovernanceConfirmation, ConfirmedRestartRunsWithoutHoldingTheDialog) {
    ListOnPanel view;
    std::vector<AppGroup> groups = test::sampledGroups(1);
    view.harness.workspace->setRunning(
        *groups[0].bundleID, {platform::RunningApplication{groups[0].processes[0].pid,
                                                           groups[0].processes[0].startTime}});
    view.list->showGroups(groups);
    view.panel->show();

    view.choose(groups[0].key, L10n::t("pro.action.restart"));
    ASSERT_TRUE(view.confirmation->pending());
    EXPECT_EQ(view.dialogTexts(),
              (std::vector<QString>{
                  qtText(L10n::t("pro.confirm.restart.title", groups[0].displayName)),
                  qtText(L10n::t("pro.confirm.restart.body", Format::bytes(groups[0].current)))}));
    test::saveShot(test::render(*view.panel), QStringLiteral("panel-confirm-restart"));
    view.press(L10n::t("pro.confirm.restart.button"));
    EXPECT_FALSE(view.confirmation->dialog()->isPresented());
    EXPECT_EQ(view.harness.workspace->quitRequests().size(), 1u);
    ASSERT_TRUE(test::waitFor([&] { return !view.harness.governor->history().empty(); }));
    EXPECT_EQ(view.harness.latest().action, GovernanceAction::restart);
    EXPECT_TRUE(view.harness.latest().success);
}

TEST(GroupRow, RendersItsOpenMenu) {
    ListOnPanel view;
    std::vector<AppGroup> groups = test::sampledGroups(3);
    view.list->showGroups(groups);
    QMenu *menu = view.list->row(groups[0].key)->menu();
    menu->ensurePolished();
    const QImage image = test::render(*menu);
    test::saveShot(image, QStringLiteral("panel-row-menu"));
    EXPECT_GT(image.width(), 0);
}

} // namespace
} // namespace quorvel
