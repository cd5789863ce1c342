#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include "App/PanelPlacement.h"
#include "App/StatusItemController.h"
#include "Support/FakeStatusIcon.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

using test::FakeStatusIcon;

struct Harness {
    explicit Harness(bool tray = true, QRect iconFrame = {}) {
        auto fake = std::make_unique<FakeStatusIcon>();
        fake->available = tray;
        fake->frame = iconFrame;
        icon = fake.get();
        controller = std::make_unique<StatusItemController>(
            QStringLiteral("memorychip"),
            [] {
                auto *content = new QLabel(QStringLiteral("panel"));
                content->setFixedSize(400, 200);
                return content;
            },
            std::move(fake), [this] { return now; });
        controller->onPanelOpen = [this] { ++opened; };
        controller->onPanelClose = [this] { ++closed; };
    }

    // What the desktop does when the user clicks another window.
    void clickOutside() {
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(controller->panel(), &deactivate);
    }

    FakeStatusIcon *icon;
    std::chrono::steady_clock::time_point now{};
    std::unique_ptr<StatusItemController> controller;
    int opened = 0;
    int closed = 0;
};

TEST(StatusItemController, RedrawsTheIconOnlyWhenTheSymbolChanges) {
    Harness h;
    EXPECT_EQ(h.icon->iconsSet, 1);
    EXPECT_TRUE(h.icon->visible);
    EXPECT_FALSE(h.icon->toolTip.isEmpty());
    for (const char *symbol : {"memorychip", "memorychip", "exclamationmark.circle",
                               "exclamationmark.circle", "memorychip"}) {
        h.controller->setSymbol(QString::fromLatin1(symbol));
    }
    EXPECT_EQ(h.icon->iconsSet, 3);
    EXPECT_EQ(h.controller->symbol(), QStringLiteral("memorychip"));
}

TEST(StatusItemController, AClickOpensAndASecondClickCloses) {
    Harness h;
    h.icon->click();
    EXPECT_TRUE(h.controller->isPanelShown());
    EXPECT_EQ(h.opened, 1);
    EXPECT_EQ(h.controller->panel()->width(), 400);
    EXPECT_TRUE(h.controller->panel()->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(h.controller->panel()->windowFlags().testFlag(Qt::FramelessWindowHint));
    h.icon->click();
    EXPECT_FALSE(h.controller->isPanelShown());
    EXPECT_EQ(h.closed, 1);
    EXPECT_EQ(h.opened, 1);
}

TEST(StatusItemController, AClickOnTheIconThatTookTheFocusClosesForGood) {
    Harness h;
    h.icon->click();
    // The press on the tray takes the focus first, then the tray reports the click.
    h.clickOutside();
    EXPECT_FALSE(h.controller->isPanelShown());
    h.now += 50ms;
    h.icon->click();
    EXPECT_FALSE(h.controller->isPanelShown());
    EXPECT_EQ(h.opened, 1);
    EXPECT_EQ(h.closed, 1);
    // A later, separate click opens it again.
    h.now += 50ms;
    h.icon->click();
    EXPECT_TRUE(h.controller->isPanelShown());
}

TEST(StatusItemController, ClosesOnAClickOutsideOrEscapeAndReopensLater) {
    Harness h;
    h.icon->click();
    h.clickOutside();
    EXPECT_FALSE(h.controller->isPanelShown());
    EXPECT_EQ(h.closed, 1);
    h.now += StatusItemController::kReopenGuard + 1ms;
    h.icon->click();
    EXPECT_TRUE(h.controller->isPanelShown());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(h.controller->panel(), &escape);
    EXPECT_FALSE(h.controller->isPanelShown());
    EXPECT_EQ(h.closed, 2);
    // Escape is no click on the icon: the next click opens at once.
    h.icon->click();
    EXPECT_TRUE(h.controller->isPanelShown());
    EXPECT_EQ(h.opened, 3);
}

TEST(StatusItemController, AnAutomatedShowTellsNoCallback) {
    Harness h;
    h.controller->showPopover();
    EXPECT_TRUE(h.controller->isPanelShown());
    EXPECT_TRUE(h.controller->isAutomatedShow());
    h.controller->showPopover();
    EXPECT_TRUE(h.controller->isAutomatedShow());
    h.icon->click();
    EXPECT_FALSE(h.controller->isPanelShown());
    EXPECT_FALSE(h.controller->isAutomatedShow());
    EXPECT_EQ(h.opened, 0);
    EXPECT_EQ(h.closed, 0);
}

TEST(StatusItemController, ButtonFrameIsTheIconsOrTheLastClickPoint) {
    Harness unknown;
    EXPECT_FALSE(unknown.controller->buttonFrameInScreen());
    EXPECT_TRUE(unknown.controller->diagnostics().contains(
        QStringLiteral("winFrame=(0.0, 0.0, 0.0, 0.0)")));
    unknown.icon->click(QPoint(640, 12));
    EXPECT_EQ(unknown.controller->buttonFrameInScreen(), QRect(640, 12, 1, 1));

    Harness known(true, QRect(500, 0, 24, 24));
    EXPECT_EQ(known.controller->buttonFrameInScreen(), QRect(500, 0, 24, 24));
    const QString line = known.controller->diagnostics();
    EXPECT_TRUE(
        line.startsWith(QStringLiteral("visible=true len=-1.0 img=true imgSize=(24.0, 24.0) "
                                       "btnFrame=(0.0, 0.0, 24.0, 24.0) "
                                       "winFrame=(500.0, 0.0, 24.0, 24.0) screen=(")))
        << line.toStdString();
}

TEST(StatusItemController, PlacesThePanelUnderTheIconOnScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Harness h(true, QRect(screen.right() - 30, screen.top(), 24, 24));
    h.icon->click();
    const QRect panel = h.controller->panel()->frameGeometry();
    EXPECT_TRUE(screen.contains(panel)) << panel.x() << "," << panel.y();
    EXPECT_GE(panel.top(), screen.top() + 24);
}

TEST(StatusItemController, WithoutATrayThePanelIsAWindowWhoseCloseEndsTheRun) {
    Harness h(false);
    PanelHost *panel = h.controller->panel();
    EXPECT_TRUE(h.controller->isPanelShown());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_FALSE(panel->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(h.icon->iconsSet, 0);
    EXPECT_TRUE(h.controller->diagnostics().startsWith(QStringLiteral("visible=false")));
    int quits = 0;
    QObject::connect(h.controller.get(), &StatusItemController::windowClosed, [&] { ++quits; });
    h.clickOutside(); // a window stays open when it loses the focus
    EXPECT_TRUE(h.controller->isPanelShown());
    panel->close();
    EXPECT_EQ(quits, 1);
}

struct PlacementCase {
    const char *edge;
    QRect anchor;
    QRect available;
    QPoint expected;
};

// A 1000 × 800 screen, a 400 × 300 panel, bars 30 px thick at each edge.
TEST(PanelPlacement, KeepsThePanelBesideTheBarAtEachEdge) {
    const QRect screen(0, 0, 1000, 800);
    const QSize panel(400, 300);
    const PlacementCase cases[] = {
        {"top, icon known", QRect(900, 3, 24, 24), QRect(0, 30, 1000, 770), QPoint(600, 31)},
        {"top, click point", QRect(500, 15, 1, 1), QRect(0, 30, 1000, 770), QPoint(300, 30)},
        {"top, left corner", QRect(2, 3, 24, 24), QRect(0, 30, 1000, 770), QPoint(0, 31)},
        {"bottom, icon known", QRect(900, 773, 24, 24), QRect(0, 0, 1000, 770), QPoint(600, 469)},
        {"bottom, click point", QRect(100, 785, 1, 1), QRect(0, 0, 1000, 770), QPoint(0, 470)},
        {"left bar, low icon", QRect(3, 700, 24, 24), QRect(30, 0, 970, 800), QPoint(30, 396)},
        {"right bar, high icon", QRect(973, 40, 24, 24), QRect(0, 0, 970, 800), QPoint(570, 68)},
        {"right bar, click point", QRect(985, 300, 1, 1), QRect(0, 0, 970, 800), QPoint(570, 305)},
    };
    for (const PlacementCase &c : cases) {
        SCOPED_TRACE(c.edge);
        const QPoint at = panelPosition(panel, c.anchor, screen, c.available);
        EXPECT_EQ(at, c.expected);
        EXPECT_TRUE(c.available.contains(QRect(at, panel)));
    }
}

TEST(PanelPlacement, APanelLargerThanTheScreenStartsAtItsCorner) {
    const QRect screen(0, 0, 300, 200);
    EXPECT_EQ(panelPosition(QSize(400, 300), QRect(150, 5, 20, 20), screen, screen), QPoint(0, 0));
}

} // namespace
} // namespace quorvel
