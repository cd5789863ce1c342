#include "UI/Toolkit/Keyboard.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>
#include <typeinfo>
#include <vector>

#include "UI/Theme.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {
namespace {

constexpr double kRingWidth = 2;

} // namespace

void paintFocusRing(QPainter &painter, const QWidget *widget, const QRectF &bounds,
                    double cornerRadius, const QColor &fill) {
    if (!widget->hasFocus()) return;
    const bool onAccent = fill.rgb() == Theme::green().rgb() && fill.alpha() > 0;
    Shapes::strokeInside(painter, bounds, cornerRadius, onAccent ? Theme::ink() : Theme::green(),
                         kRingWidth);
}

bool clickOnEnter(QAbstractButton *button, const QKeyEvent *event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    if (event->modifiers() & ~Qt::KeypadModifier) return false;
    button->click();
    return true;
}

bool moveAmongRows(QWidget *row, const QKeyEvent *event) {
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) return false;
    QWidget *list = row->parentWidget();
    std::vector<QWidget *> rows;
    for (QWidget *sibling : list->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (typeid(*sibling) == typeid(*row) && sibling->isVisibleTo(list)) rows.push_back(sibling);
    }
    std::ranges::sort(rows, {}, [](const QWidget *sibling) { return sibling->y(); });
    const auto at = std::ranges::find(rows, row) - rows.begin();
    const auto next = at + (event->key() == Qt::Key_Down ? 1 : -1);
    if (next >= 0 && next < std::ssize(rows))
        rows[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
    return true;
}

void chainTabOrder(const std::vector<QWidget *> &controls) {
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (!control) continue;
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void scrollIntoView(QWidget *row) {
    for (QWidget *up = row->parentWidget(); up; up = up->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(up)) {
            scroll->ensureWidgetVisible(row, 0, 0);
            return;
        }
    }
}

} // namespace quorvel
