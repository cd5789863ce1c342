#pragma once

#include <QColor>
#include <QRectF>

#include <vector>

class QAbstractButton;
class QKeyEvent;
class QPainter;
class QWidget;

namespace quorvel {

// The ring around the control the keyboard is on, in the theme's accent,
// drawn just inside `bounds` so that no layout has to make room for it.
// On a fill of the accent itself the ring is drawn in ink. Draws nothing
// unless `widget` has the keyboard focus.
void paintFocusRing(QPainter &painter, const QWidget *widget, const QRectF &bounds,
                    double cornerRadius, const QColor &fill = {});

// Clicks `button` for Enter or Return, as Space already does; true when the
// key was one of them.
bool clickOnEnter(QAbstractButton *button, const QKeyEvent *event);

// Moves the focus to the row above or below for Up or Down: the nearest shown
// sibling of the same kind as `row`. True when the key was one of them.
bool moveAmongRows(QWidget *row, const QKeyEvent *event);

// Tab goes through `controls` in this order, the order they read in where
// that is not the order they were made in. Null entries are passed over.
void chainTabOrder(const std::vector<QWidget *> &controls);

// Scrolls the list `row` is in until the row is in sight.
void scrollIntoView(QWidget *row);

} // namespace quorvel
