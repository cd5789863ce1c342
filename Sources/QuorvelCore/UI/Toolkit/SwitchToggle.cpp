#include "UI/Toolkit/SwitchToggle.h"

#include <QKeyEvent>
#include <QPainter>

#include "UI/Theme.h"
#include "UI/Toolkit/Animation.h"
#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {
namespace {

constexpr int kSlideMilliseconds = 150;
constexpr int kKnobInset = 2;

} // namespace

SwitchToggle::SwitchToggle(const QColor &tint, QWidget *parent)
    : QAbstractButton(parent)
    , tint_(tint) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (QAccessible::isActive()) {
            QAccessible::State checked;
            checked.checked = true;
            QAccessibleStateChangeEvent event(this, checked);
            QAccessible::updateAccessibility(&event);
        }
        if (isVisible()) {
            animateEaseInOut(this, "knobPosition", on ? 1.0 : 0.0, kSlideMilliseconds);
        } else {
            setKnobPosition(on ? 1.0 : 0.0);
        }
    });
}

void SwitchToggle::setKnobPosition(double position) {
    knobPosition_ = position;
    update();
}

void SwitchToggle::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRectF track(QPointF(0, 0), QSizeF(sizeHint()));
    const QColor off = Theme::withOpacity(Theme::ink(), 0.18);
    QColor fill = isChecked() ? tint_ : off;
    if (!isEnabled()) fill = Theme::withOpacity(fill, 0.5);
    Shapes::fill(painter, Shapes::capsule(track), fill);
    const double knob = track.height() - 2 * kKnobInset;
    const double travel = track.width() - knob - 2 * kKnobInset;
    const QRectF knobRect(kKnobInset + travel * knobPosition_, kKnobInset, knob, knob);
    Shapes::fill(painter, Shapes::capsule(knobRect), Theme::ink());
    paintFocusRing(painter, this, track, track.height() / 2, fill);
}

void SwitchToggle::keyPressEvent(QKeyEvent *event) {
    if (!clickOnEnter(this, event)) QAbstractButton::keyPressEvent(event);
}

} // namespace quorvel
