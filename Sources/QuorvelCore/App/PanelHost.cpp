#include "App/PanelHost.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "UI/PanelBackground.h"
#include "UI/Theme.h"
#include "UI/Toolkit/DarkScheme.h"

namespace quorvel {

PanelHost::PanelHost(QWidget *content, Kind kind, QWidget *parent)
    : QWidget(parent)
    , content_(content)
    , kind_(kind) {
    if (kind == Kind::popover) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    } else {
        setWindowFlags(Qt::Window);
        setWindowTitle(QStringLiteral("Quorvel"));
    }
    applyDarkScheme(this, Theme::green());
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Theme::panelBottom());
    setPalette(background);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
}

void PanelHost::dismiss() {
    hideFor(CloseReason::requested);
}

void PanelHost::showEvent(QShowEvent *event) {
    // The window itself holds the focus until a key moves it: Qt would put
    // it on the first control, whose ring a mouse user has no use for.
    setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

void PanelHost::takeKeyboard() {
    activateWindow();
    // Set at once where it goes: focus passed on from inside a focus event
    // reaches a screen reader as the wrong object.
    const auto *panel = qobject_cast<PanelBackground *>(content_);
    if (QWidget *start = panel ? panel->firstControl() : nullptr) {
        start->setFocus(Qt::TabFocusReason);
        return;
    }
    setFocus(Qt::OtherFocusReason);
    focusNextChild();
}

void PanelHost::hideFor(CloseReason reason) {
    if (!isVisible()) return;
    hide();
    emit closed(reason);
}

bool PanelHost::event(QEvent *event) {
    if (event->type() == QEvent::WindowDeactivate && kind_ == Kind::popover) {
        hideFor(CloseReason::clickedOutside);
    }
    return QWidget::event(event);
}

void PanelHost::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && kind_ == Kind::popover) {
        hideFor(CloseReason::escape);
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelHost::closeEvent(QCloseEvent *event) {
    if (kind_ == Kind::window && isVisible()) {
        QWidget::closeEvent(event);
        emit closed(CloseReason::windowClosed);
        return;
    }
    // A popover is only ever hidden, so the window and its content stay.
    event->ignore();
    hideFor(CloseReason::requested);
}

} // namespace quorvel
