#pragma once

#include <QAbstractButton>
#include <QColor>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// A switch-style toggle: a capsule track in the tint while on, a round knob
// that slides between the ends.
class SwitchToggle : public QAbstractButton, public Describable {
    Q_OBJECT
    Q_PROPERTY(double knobPosition READ knobPosition WRITE setKnobPosition)
public:
    explicit SwitchToggle(const QColor &tint, QWidget *parent = nullptr);

    // 0 at the off end, 1 at the on end; animated after a toggle.
    double knobPosition() const { return knobPosition_; }
    void setKnobPosition(double position);

    // Named by its owner with setAccessibleName.
    QAccessible::Role accessibleRole() const override { return QAccessible::CheckBox; }
    QString accessibleText() const override { return text(); }

    QSize sizeHint() const override { return QSize(36, 20); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor tint_;
    double knobPosition_ = 0;
};

} // namespace quorvel
