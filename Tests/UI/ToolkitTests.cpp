#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "Support/Rendering.h"
#include "UI/ConfirmationDialog.h"
#include "UI/PanelBackground.h"
#include "UI/PanelIconButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Animation.h"
#include "UI/Toolkit/KeyedRows.h"
#include "UI/Toolkit/PopupMenu.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SwitchToggle.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {
namespace {

struct Entry {
    std::string key;
    QString text;
};

struct RowsHarness {
    QWidget host;
    QVBoxLayout *layout = vstack(0, &host);
    int made = 0;
    KeyedRows<Entry, std::string> rows{
        layout, [](const Entry &e) { return e.key; },
        [this](const Entry &e) {
            ++made;
            return new QLabel(e.text);
        },
        [](QWidget *row, const Entry &e) { static_cast<QLabel *>(row)->setText(e.text); }};

    std::vector<QString> shown() const {
        std::vector<QString> texts;
        for (int i = 0; i < layout->count(); ++i) {
            texts.push_back(static_cast<QLabel *>(layout->itemAt(i)->widget())->text());
        }
        return texts;
    }
};

TEST(KeyedRows, KeepsTheRowOfAKeyAcrossRebuilds) {
    RowsHarness h;
    h.rows.show({{"a", "A 1"}, {"b", "B 1"}, {"c", "C 1"}});
    QPointer<QWidget> a = h.rows.row("a");
    QPointer<QWidget> b = h.rows.row("b");
    h.rows.show({{"c", "C 2"}, {"a", "A 2"}, {"d", "D 2"}, {"a", "A again"}});

    EXPECT_EQ(h.made, 4);
    EXPECT_EQ(h.rows.row("a"), a.data()); // reused, not rebuilt
    EXPECT_TRUE(b.isNull());              // its key left, so did the row
    EXPECT_EQ(h.shown(), (std::vector<QString>{"C 2", "A 2", "D 2"}));
    h.rows.show({});
    EXPECT_EQ(h.rows.size(), 0u);
    EXPECT_EQ(h.layout->count(), 0);
}

TEST(SwitchToggle, TogglesOnClickAndSlidesItsKnobToTheEnd) {
    PanelBackground panel;
    auto *toggle = new SwitchToggle(Theme::green(), &panel);
    toggle->move(10, 10);
    panel.resize(60, 40);
    panel.show();
    QSignalSpy toggled(toggle, &QAbstractButton::toggled);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(toggled.count(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return toggle->knobPosition() == 1.0; }, 5000));
    const QImage on = test::render(panel);
    test::saveShot(on, QStringLiteral("switch-on"));
    EXPECT_TRUE(test::near(on.pixelColor(14, 20), Theme::green(), 8)); // track, left end
    EXPECT_TRUE(test::near(on.pixelColor(36, 20), Theme::ink(), 8));   // knob, right end
    toggle->setChecked(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return toggle->knobPosition() == 0.0; }, 5000));
}

TEST(PopupMenu, APickerChecksTheCurrentChoiceAndReportsANewOne) {
    QMenu menu;
    std::vector<double> chosen;
    addPicker(
        &menu, QStringLiteral("Interval"),
        {{QStringLiteral("1s"), 1.0}, {QStringLiteral("2s"), 2.0}, {QStringLiteral("5s"), 5.0}},
        2.0, [&](const QVariant &value) { chosen.push_back(value.toDouble()); });
    std::vector<QAction *> choices;
    for (QAction *action : menu.actions()) {
        if (action->isCheckable()) choices.push_back(action);
    }
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_TRUE(choices[1]->isChecked());
    EXPECT_FALSE(choices[0]->isChecked());
    choices[2]->trigger();
    EXPECT_EQ(chosen, std::vector<double>{5.0});
    EXPECT_TRUE(choices[2]->isChecked());
    EXPECT_FALSE(choices[1]->isChecked());
}

TEST(PopupMenu, AButtonOpensItsMenuBelowItself) {
    PanelBackground panel;
    panel.resize(200, 100);
    auto *button = new StyledButton(PanelIconButton(), QString(), "ellipsis", &panel);
    button->move(20, 10);
    auto *menu = new QMenu;
    menu->addAction(QStringLiteral("Resume"));
    attachPopupMenu(button, menu);
    panel.show();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
    EXPECT_GE(menu->pos().y(), button->mapToGlobal(QPoint(0, button->height())).y());
    menu->hide();
}

TEST(ScrollArea, GrowsWithItsContentUpToItsLimit) {
    for (const auto &[rows, expected] : {std::pair{3, 90}, std::pair{40, 360}}) {
        SCOPED_TRACE(rows);
        auto *content = new QWidget;
        auto *stack = vstack(0, content);
        for (int i = 0; i < rows; ++i) {
            auto *row = new QWidget;
            row->setFixedHeight(30);
            stack->addWidget(row);
        }
        ScrollArea area(content, 360);
        EXPECT_EQ(area.sizeHint().height(), expected);
        EXPECT_EQ(area.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
}

TEST(TextView, ShrinksToItsMinimumScaleThenElides) {
    TextView text(QStringLiteral("16.25 GB of memory"), systemFont(16, FontWeight::semibold),
                  Theme::ink());
    text.setMinimumScaleFactor(0.7);
    const int natural = text.sizeHint().width();
    text.resize(natural, text.sizeHint().height());
    EXPECT_EQ(text.fittedFont().pointSizeF(), systemFont(16, FontWeight::semibold).pointSizeF());
    text.resize(natural * 8 / 10, text.height());
    EXPECT_LT(text.fittedFont().pointSizeF(), systemFont(16, FontWeight::semibold).pointSizeF());
    EXPECT_LE(QFontMetricsF(text.fittedFont()).horizontalAdvance(text.text()), text.width() + 1);
    EXPECT_GE(text.minimumSizeHint().width(), natural * 7 / 10);

    TextView wrapping(QStringLiteral("A longer message that needs more than one line to be read"),
                      systemFont(12, FontWeight::regular), Theme::inkDim());
    wrapping.setWrapping(true);
    EXPECT_GT(wrapping.heightForWidth(120), wrapping.heightForWidth(2000));
}

TEST(ConfirmationDialog, RunsTheChosenButtonOnceAndEscapeCancels) {
    PanelBackground panel;
    panel.resize(400, 260);
    ConfirmationDialog dialog(&panel);
    int confirmed = 0;
    int cancelled = 0;
    const auto present = [&] {
        dialog.present(
            QStringLiteral("Freeze Firefox?"),
            QStringLiteral("Its 12 processes stop until you resume them."),
            {{QStringLiteral("Cancel"), ConfirmationDialog::Role::cancel, [&] { ++cancelled; }},
             {QStringLiteral("Freeze"), ConfirmationDialog::Role::destructive,
              [&] { ++confirmed; }}});
    };
    present();
    EXPECT_TRUE(dialog.isPresented());
    EXPECT_EQ(dialog.geometry(), panel.rect());
    const QImage image = test::render(panel);
    test::saveShot(image, QStringLiteral("confirmation"));

    const auto buttons = dialog.findChildren<StyledButton *>();
    ASSERT_EQ(buttons.size(), 2);
    StyledButton *destructive =
        buttons[0]->text() == QStringLiteral("Freeze") ? buttons[0] : buttons[1];
    EXPECT_TRUE(test::contains(
        image, Theme::red(), QRect(destructive->mapTo(&panel, QPoint()), destructive->size()), 6));
    QTest::mouseClick(destructive, Qt::LeftButton);
    EXPECT_EQ(confirmed, 1);
    EXPECT_FALSE(dialog.isPresented());

    present();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(confirmed, 1);
    EXPECT_FALSE(dialog.isPresented());
}

TEST(Animation, TheRemovalTransitionEndsByDeletingTheWidget) {
    QWidget host;
    host.resize(100, 100);
    auto *leaving = new QLabel(QStringLiteral("row"), &host);
    auto *arriving = new QLabel(QStringLiteral("row"), &host);
    arriving->move(10, 40);
    host.show();
    QPointer<QWidget> watched = leaving;
    fadeAndMoveOut(leaving, Edge::top, 60);
    fadeAndMoveIn(arriving, Edge::bottom, 60);
    EXPECT_NE(arriving->pos(), QPoint(10, 40)); // it starts off its place
    ASSERT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return arriving->graphicsEffect() == nullptr; }, 5000));
    EXPECT_EQ(arriving->pos(), QPoint(10, 40));
}

} // namespace
} // namespace quorvel
