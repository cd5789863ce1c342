#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

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

enum class Act { click, clickOutside, escape, automatedShow };

// The user's clicks, `after` the step before, and what each leaves behind.
TEST(StatusItemController, OpensAndClosesAsTheUserActs) {
    const struct Step {
        Act act;
        std::chrono::milliseconds after;
        bool shown;
        int opened;
        int closed;
    } steps[] = {
        {Act::click, 0ms, true, 1, 0},
        {Act::click, 0ms, false, 1, 1},
        {Act::click, 0ms, true, 2, 1},
        // The press on the tray takes the focus first, then the tray reports the
        // click: it closes for good; a later, separate click opens again.
        {Act::clickOutside, 0ms, false, 2, 2},
        {Act::click, 50ms, false, 2, 2},
        {Act::click, 50ms, true, 3, 2},
        // A click elsewhere, then on the icon once the reopen guard has passed.
        {Act::clickOutside, 0ms, false, 3, 3},
        {Act::click, StatusItemController::kReopenGuard + 1ms, true, 4, 3},
        // Escape is no click on the icon: the next click opens at once.
        {Act::escape, 0ms, false, 4, 4},
        {Act::click, 0ms, true, 5, 4},
        {Act::click, 0ms, false, 5, 5},
        // An automated show, and the close that follows, tell no callback.
        {Act::automatedShow, 0ms, true, 5, 5},
        {Act::automatedShow, 0ms, true, 5, 5},
        {Act::click, 0ms, false, 5, 5},
        {Act::click, 0ms, true, 6, 5},
    };
    Harness h;
    for (const Step &step : steps) {
        SCOPED_TRACE(&step - steps);
        h.now += step.after;
        switch (step.act) {
        case Act::click: h.icon->click(); break;
        case Act::clickOutside: h.clickOutside(); break;
        case Act::automatedShow: h.controller->showPopover(); break;
        case Act::escape: {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(h.controller->panel(), &escape);
        }
        }
        EXPECT_EQ(h.controller->isPanelShown(), step.shown);
        EXPECT_EQ(h.opened, step.opened);
        EXPECT_EQ(h.closed, step.closed);
    }
    // The icon is drawn again only when the symbol changes.
    for (const char *symbol : {"memorychip", "exclamationmark.circle", "exclamationmark.circle"})
        h.controller->setSymbol(QString::fromLatin1(symbol));
    EXPECT_EQ(h.icon->iconsSet, 2);
}

TEST(StatusItemController, PlacesThePanelUnderTheIconOrTheLastClickPoint) {
    Harness unknown;
    EXPECT_FALSE(unknown.controller->buttonFrameInScreen());
    unknown.icon->click(QPoint(640, 12));
    EXPECT_EQ(unknown.controller->buttonFrameInScreen(), QRect(640, 12, 1, 1));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Harness known(true, QRect(screen.right() - 30, screen.top(), 24, 24));
    EXPECT_EQ(known.controller->buttonFrameInScreen(), known.icon->frame);
    known.icon->click();
    const QRect panel = known.controller->panel()->frameGeometry();
    EXPECT_TRUE(screen.contains(panel)) << panel.x() << "," << panel.y();
    EXPECT_GE(panel.top(), screen.top() + 24);
}

TEST(StatusItemController, WithoutATrayThePanelIsAWindowWhoseCloseEndsTheRun) {
    Harness h(false);
    EXPECT_TRUE(h.controller->isPanelShown());
    EXPECT_EQ(h.icon->iconsSet, 0);
    int quits = 0;
    QObject::connect(h.controller.get(), &StatusItemController::windowClosed, [&] { ++quits; });
    h.clickOutside(); // a window stays open when it loses the focus
    h.icon->click();  // and a tray that is not there toggles nothing
    EXPECT_TRUE(h.controller->isPanelShown());
    h.controller->panel()->close();
    EXPECT_EQ(quits, 1);
}

} // namespace
} // namespace quorvel
