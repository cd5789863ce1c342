#include <gtest/gtest.h>

#include <QDateTime>

#include "Support/PanelFixtures.h"
#include "Support/Rendering.h"
#include "UI/FocusBanner.h"
#include "UI/FocusSelectView.h"
#include "UI/HistoryView.h"
#include "UI/Toolkit/Opacity.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

VMSnapshot reading(uint64_t freePages, uint64_t compressedPages) {
    VMSnapshot vm;
    vm.pageSize = 4096;
    vm.totalBytes = 16ull << 30;
    vm.freePages = freePages;
    vm.compressedPages = compressedPages;
    return vm;
}

TEST(FocusBanner, SummarisesTheSessionAndAddsTheMeasurementOnceTaken) {
    int exits = 0;
    auto *banner = new FocusBanner([&] { ++exits; });
    std::unique_ptr<PanelBackground> panel(test::panelFrame(banner));

    FocusSession session;
    banner->setSession(session);
    EXPECT_EQ(banner->summary()->text(),
              qtText(L10n::plural("pro.focus.frozenSummary", 0, Format::bytes(0))));
    EXPECT_TRUE(banner->measured()->isHidden());

    session.frozenApps = {"Firefox", "GIMP"};
    session.frozenFootprint = 3ull << 30;
    session.before = reading(100'000, 50'000);
    banner->setSession(session);
    EXPECT_EQ(banner->summary()->text(),
              qtText(L10n::plural("pro.focus.frozenSummary", 2, Format::bytes(3ull << 30))));
    EXPECT_TRUE(banner->measured()->isHidden());

    session.after = reading(150'000, 40'000);
    banner->setSession(session);
    EXPECT_FALSE(banner->measured()->isHidden());
    EXPECT_EQ(banner->measured()->text(),
              qtText(L10n::t("pro.focus.measured", Format::signedBytes(50'000 * 4096),
                             Format::signedBytes(-10'000 * 4096))));
    banner->exitButton()->click();
    EXPECT_EQ(exits, 1);
    test::saveShot(test::render(*panel), QStringLiteral("panel-focus-banner"));
}

TEST(FocusSelectView, TotalsTheSelectionAndEnablesConfirmOnlyWithOne) {
    int confirms = 0;
    int cancels = 0;
    auto *view = new FocusSelectView([&] { ++confirms; }, [&] { ++cancels; });
    std::unique_ptr<PanelBackground> panel(test::panelFrame(view));

    EXPECT_EQ(view->rowCount(), 0u);
    EXPECT_FALSE(view->confirmButton()->isEnabled());
    EXPECT_DOUBLE_EQ(drawnOpacity(view->confirmButton()), 0.5);

    std::vector<AppGroup> candidates = test::sampledGroups(6);
    candidates[1].isKnownHog = true;
    candidates[4].isKnownHog = true;
    view->setCandidates(candidates);
    view->setSelected({candidates[4].key, candidates[1].key});
    EXPECT_EQ(view->rowCount(), 6u);
    EXPECT_TRUE(view->confirmButton()->isEnabled());
    EXPECT_DOUBLE_EQ(drawnOpacity(view->confirmButton()), 1.0);
    EXPECT_EQ(view->selectedTotal(), candidates[1].current + candidates[4].current);
    EXPECT_EQ(view->confirmButton()->text(),
              qtText(L10n::t("pro.focus.picker.confirm", 2,
                             Format::bytes(candidates[1].current + candidates[4].current))));
    const auto chosen = view->selectedCandidates();
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].key, candidates[1].key); // candidate order
    test::saveShot(test::render(*panel), QStringLiteral("panel-focus-select"));

    static_cast<QAbstractButton *>(view->row(candidates[1].key))->click();
    EXPECT_TRUE(view->toggle(candidates[4].key));
    EXPECT_TRUE(view->selected().empty());
    EXPECT_FALSE(view->confirmButton()->isEnabled());
    EXPECT_TRUE(view->toggle(candidates[3].key));
    EXPECT_EQ(view->confirmButton()->text(),
              qtText(L10n::t("pro.focus.picker.confirm", 1, Format::bytes(candidates[3].current))));
    EXPECT_FALSE(view->toggle("proc:nothing"));

    // A chosen application that left the candidates is not counted.
    view->setCandidates({candidates[0]});
    EXPECT_FALSE(view->confirmButton()->isEnabled());

    view->setCandidates(candidates);
    view->confirmButton()->click();
    view->cancelButton()->click();
    EXPECT_EQ(confirms, 1);
    EXPECT_EQ(cancels, 1);
}

ActionRecord record(GovernanceAction action, std::string app, std::string detail, bool success,
                    int hour, int minute) {
    const QDateTime local(QDate(2024, 3, 14), QTime(hour, minute));
    return ActionRecord::make(
        action, std::move(app), std::move(detail), success,
        ActionRecord::Clock::time_point(std::chrono::milliseconds(local.toMSecsSinceEpoch())));
}

// On a live panel the list fills after the view is shown, as samples come.
TEST(FocusSelectView, TheListGrowsAsCandidatesArrive) {
    auto *view = new FocusSelectView([] {}, [] {});
    std::unique_ptr<PanelBackground> panel(test::panelFrame(view));
    panel->show();
    const auto settle = [] {
        for (int pass = 0; pass < 6; ++pass) QCoreApplication::processEvents();
    };
    view->setCandidates(test::sampledGroups(1));
    settle();
    const auto *area = view->findChild<ScrollArea *>();
    ASSERT_NE(area, nullptr);
    const int oneRow = area->height();
    view->setCandidates(test::sampledGroups(4));
    settle();
    EXPECT_GE(area->height(), 3 * oneRow);
    EXPECT_GE(panel->height(), area->geometry().bottom());
}

TEST(HistoryView, ShowsTheEmptyNoteOrOneRowPerRecordNewestFirst) {
    int closes = 0;
    auto *view = new HistoryView([&] { ++closes; });
    std::unique_ptr<PanelBackground> panel(test::panelFrame(view));
    EXPECT_TRUE(view->emptyNote()->isVisibleTo(view));
    EXPECT_TRUE(view->list()->isHidden());
    test::saveShot(test::render(*panel), QStringLiteral("panel-history-empty"));

    const std::vector<ActionRecord> history = {
        record(GovernanceAction::suspend, "Firefox",
               L10n::t("governance.detail.blocked", L10n::t("governance.block.foreground")), false,
               15, 4),
        record(GovernanceAction::resume, "GIMP", L10n::plural("governance.detail.resumed", 3), true,
               9, 30),
    };
    view->setHistory(history);
    EXPECT_FALSE(view->emptyNote()->isVisibleTo(view));
    const std::vector<QWidget *> rows = view->rows();
    ASSERT_EQ(rows.size(), 2u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        std::vector<QString> texts;
        for (auto *text : rows[i]->findChildren<TextView *>()) texts.push_back(text->text());
        const ActionRecord &entry = history[i];
        EXPECT_EQ(
            texts,
            (std::vector<QString>{
                qtText(L10n::t("pro.history.row", displayName(entry.action, L10n::shared()),
                               entry.appName)),
                qtText(entry.detail), HistoryView::timeOfDay(entry.timestamp, Format::locale())}));
        const auto *mark = rows[i]->findChild<SymbolView *>();
        EXPECT_EQ(mark->symbol(), entry.success ? "checkmark.circle.fill" : "xmark.circle.fill");
        EXPECT_EQ(mark->color(), entry.success ? Theme::green() : Theme::red());
    }
    test::saveShot(test::render(*panel), QStringLiteral("panel-history"));
    for (auto *button : view->findChildren<StyledButton *>()) button->click();
    EXPECT_EQ(closes, 1);
}

TEST(HistoryView, WritesTheTimeOfDayAsTheLocaleDoes) {
    const auto afternoon = record(GovernanceAction::notify, "", "", true, 15, 4).timestamp;
    EXPECT_EQ(HistoryView::timeOfDay(afternoon, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("15:04"));
    const QString american =
        HistoryView::timeOfDay(afternoon, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(american.startsWith(QStringLiteral("3:04"))) << american.toStdString();
    EXPECT_TRUE(american.contains(QStringLiteral("PM"))) << american.toStdString();
}

} // namespace
} // namespace quorvel
