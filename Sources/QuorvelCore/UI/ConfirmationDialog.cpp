#include "UI/ConfirmationDialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

#include "UI/CardBackground.h"
#include "UI/GreenCTAButton.h"
#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {
namespace {

constexpr int kCardMargin = 24;
constexpr double kCardRadius = 14;

ButtonStyle styleFor(ConfirmationDialog::Role role) {
    switch (role) {
    case ConfirmationDialog::Role::cancel: return PanelOutlineButton();
    case ConfirmationDialog::Role::destructive: {
        ButtonStyle style = GreenCTAButton();
        style.fill = Theme::red();
        style.labelColor = Theme::ink();
        return style;
    }
    case ConfirmationDialog::Role::normal: break;
    }
    return GreenCTAButton();
}

} // namespace

ConfirmationDialog::ConfirmationDialog(QWidget *panel)
    : QWidget(panel)
    , card_(new CardBackground(kCardRadius, this)) {
    panel->installEventFilter(this);
    setGeometry(panel->rect());
    setFocusPolicy(Qt::StrongFocus);
    hide();
}

void ConfirmationDialog::present(const QString &title, const QString &message,
                                 std::vector<Button> buttons) {
    buttons_ = std::move(buttons);
    title_ = title;
    setAccessibleDescription(message);
    controls_.clear();
    if (QWidget *focused = window()->focusWidget(); focused && !isAncestorOf(focused))
        returnFocus_ = focused;
    // The old content may be the sender of the click that got us here, so it
    // goes at the next turn of the loop, out of sight at once.
    for (QWidget *child : card_->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        child->hide();
        child->deleteLater();
    }
    delete card_->layout();

    auto *stack = vstack(10, card_, Insets::all(16));
    auto *heading = new TextView(title, systemFont(13, FontWeight::semibold), Theme::ink(), card_);
    heading->setWrapping(true);
    auto *body = new TextView(message, systemFont(12, FontWeight::regular), Theme::inkDim(), card_);
    body->setWrapping(true);
    stack->addWidget(heading);
    stack->addWidget(body);
    auto *row = hstack(8);
    for (const Button &button : buttons_) {
        auto *control = new StyledButton(styleFor(button.role), button.label, {}, card_);
        control->setObjectName(button.role == Role::cancel ? QStringLiteral("confirm:cancel")
                                                           : QStringLiteral("confirm:action"));
        connect(control, &QAbstractButton::clicked, this, [this, button] { choose(button); });
        controls_.push_back(control);
        row->addWidget(control);
    }
    stack->addLayout(row);

    setGeometry(parentWidget()->rect());
    const int width = std::max(0, this->width() - 2 * kCardMargin);
    card_->setFixedWidth(width);
    // Its wrapped texts take the lines they need at the card's own width.
    card_->setFixedHeight(card_->heightForWidth(width));
    card_->move(kCardMargin, std::max(0, (height() - card_->height()) / 2));
    show();
    raise();
    if (controls_.empty()) {
        setFocus();
    } else {
        controls_.front()->setFocus(Qt::TabFocusReason);
    }
}

void ConfirmationDialog::dismiss() {
    const bool hadFocus = isAncestorOf(window()->focusWidget()) || hasFocus();
    hide();
    buttons_.clear();
    controls_.clear();
    if (hadFocus && returnFocus_ && returnFocus_->isVisible())
        returnFocus_->setFocus(Qt::OtherFocusReason);
    returnFocus_.clear();
}

void ConfirmationDialog::choose(const Button &button) {
    dismiss();
    if (button.action) button.action();
}

bool ConfirmationDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        card_->move(kCardMargin, std::max(0, (height() - card_->height()) / 2));
    }
    return QWidget::eventFilter(watched, event);
}

void ConfirmationDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        for (const Button &button : buttons_) {
            if (button.role == Role::cancel) {
                choose(button);
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

bool ConfirmationDialog::focusNextPrevChild(bool next) {
    if (controls_.empty()) return QWidget::focusNextPrevChild(next);
    const auto at = std::find(controls_.begin(), controls_.end(), focusWidget());
    const auto count = static_cast<std::ptrdiff_t>(controls_.size());
    const std::ptrdiff_t index = at == controls_.end() ? 0 : at - controls_.begin();
    controls_[static_cast<std::size_t>((index + (next ? 1 : count - 1)) % count)]->setFocus(
        next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ConfirmationDialog::paintEvent(QPaintEvent *) {
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 140));
}

} // namespace quorvel
