#include "App/StatusItemController.h"

#include <QGuiApplication>
#include <QScreen>

#include <string>

#include "App/PanelPlacement.h"
#include "App/StatusIcon.h"
#include "App/SystemTrayStatusIcon.h"
#include "App/TrayIconImage.h"
#include "UI/Toolkit/QtText.h"
#include "Util/L10n.h"
#include "Util/Notices.h"
#include "Util/ShortestDecimal.h"
#include "Windows/TaskbarHint.h"

namespace quorvel {
namespace {

// Appended piece by piece: GCC 12 warns falsely on "(" + std::string when optimising.
std::string rectText(const QRect &rect) {
    std::string text = "(";
    text += shortestDecimal(rect.x());
    text += ", ";
    text += shortestDecimal(rect.y());
    text += ", ";
    text += shortestDecimal(rect.width());
    text += ", ";
    text += shortestDecimal(rect.height());
    text += ")";
    return text;
}

QScreen *screenAt(const QRect &frame) {
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

StatusItemController::StatusItemController(const QString &initialSymbol,
                                           const ContentBuilder &content,
                                           std::unique_ptr<StatusIcon> icon, Clock clock,
                                           QObject *parent)
    : QObject(parent)
    , icon_(icon ? std::move(icon) : std::make_unique<SystemTrayStatusIcon>())
    , clock_(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now))
    , symbol_(initialSymbol)
    , hasTray_(icon_->isAvailable())
    , panel_(
          new PanelHost(content(), hasTray_ ? PanelHost::Kind::popover : PanelHost::Kind::window)) {
    connect(panel_, &PanelHost::closed, this, &StatusItemController::panelClosed);
    if (!hasTray_) {
        noteOnce("the desktop has no system tray; the panel opens as a window");
        open();
        return;
    }
    icon_->setIcon(trayIconImage(symbol_.toStdString()));
    icon_->setToolTip(qtText(L10n::t("header.accessibility.menuBarIcon")));
    connect(icon_.get(), &StatusIcon::activated, this, &StatusItemController::activated);
    icon_->show();
}

StatusItemController::~StatusItemController() {
    delete panel_;
}

void StatusItemController::setSymbol(const QString &symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    if (hasTray_) icon_->setIcon(trayIconImage(symbol_.toStdString()));
}

bool StatusItemController::isPanelShown() const {
    return panel_->isVisible();
}

void StatusItemController::activated(QPoint cursor) {
    lastActivation_ = cursor;
    const bool opening = !panel_->isVisible();
    togglePopover();
    // A tray that does not say where the icon is (StatusNotifierItem) may
    // have been driven by keys: the panel then starts with the keyboard in it.
    if (opening && panel_->isVisible() && !icon_->geometry().isValid()) panel_->takeKeyboard();
}

void StatusItemController::togglePopover() {
    if (!hasTray_) return;
    if (panel_->isVisible()) {
        panel_->dismiss();
        return;
    }
    if (closedByClickAt_ && clock_() - *closedByClickAt_ < kReopenGuard) {
        closedByClickAt_.reset();
        return;
    }
    open();
    if (onPanelOpen) onPanelOpen();
}

void StatusItemController::openForKeyboard() {
    if (!panel_->isVisible()) {
        open();
        if (hasTray_ && onPanelOpen) onPanelOpen();
    }
    panel_->raise();
    panel_->takeKeyboard();
}

void StatusItemController::showPopover() {
    if (!hasTray_ || panel_->isVisible()) return;
    isAutomatedShow_ = true;
    open();
}

void StatusItemController::open() {
    closedByClickAt_.reset();
    if (hasTray_) {
        placePanel();
        panel_->winId(); // the native window, so it can carry the hint before it maps
        platform::keepOffTaskbar(panel_->windowHandle());
    }
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
}

void StatusItemController::placePanel() {
    panel_->adjustSize();
    const std::optional<QRect> anchor = buttonFrameInScreen();
    QScreen *screen = anchor ? screenAt(*anchor) : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect frame = anchor.value_or(QRect(screen->geometry().center(), QSize(1, 1)));
    panel_->move(
        panelPosition(panel_->size(), frame, screen->geometry(), screen->availableGeometry()));
}

void StatusItemController::panelClosed(PanelHost::CloseReason reason) {
    if (reason == PanelHost::CloseReason::windowClosed) {
        emit windowClosed();
        return;
    }
    if (reason == PanelHost::CloseReason::clickedOutside) closedByClickAt_ = clock_();
    if (isAutomatedShow_) {
        isAutomatedShow_ = false;
        return;
    }
    if (onPanelClose) onPanelClose();
}

std::optional<QRect> StatusItemController::buttonFrameInScreen() const {
    const QRect geometry = icon_->geometry();
    if (geometry.isValid() && !geometry.isEmpty()) return geometry;
    if (lastActivation_) return QRect(*lastActivation_, QSize(1, 1));
    return std::nullopt;
}

QString StatusItemController::diagnostics() const {
    const std::optional<QRect> frame = buttonFrameInScreen();
    const QSize imageSize = hasTray_ ? trayIconSize(frame) : QSize();
    const QRect button = frame ? QRect(QPoint(0, 0), frame->size()) : QRect();
    QRect screen;
    if (frame) {
        if (QScreen *found = screenAt(*frame)) screen = found->geometry();
    }
    const std::string line =
        "visible=" + std::string(hasTray_ && icon_->isVisible() ? "true" : "false") +
        " len=" + shortestDecimal(-1.0) + " img=" + (hasTray_ ? "true" : "false") + " imgSize=(" +
        shortestDecimal(imageSize.width()) + ", " + shortestDecimal(imageSize.height()) +
        ") btnFrame=" + rectText(button) + " winFrame=" + rectText(frame.value_or(QRect())) +
        " screen=" + rectText(screen);
    return QString::fromStdString(line);
}

} // namespace quorvel
