#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// One fraction as a capsule on a faint track; its owner sets the height.
class UsageBar : public QWidget, public Describable {
    Q_OBJECT
public:
    static constexpr double kMinimumFill = 3;

    // A fill never narrower than `minimumFill`.
    UsageBar(double fraction, const QColor &color, QWidget *parent = nullptr,
             double minimumFill = kMinimumFill);

    double fraction() const { return fraction_; }
    const QColor &color() const { return color_; }
    void setValue(double fraction, const QColor &color);

    // The filled capsule in a bar of `size`: the fraction clamped to 0…1 (NaN
    // fills), never narrower than a dot.
    static QRectF fillRect(double fraction, QSizeF size, double minimumFill = kMinimumFill);

    QAccessible::Role accessibleRole() const override { return QAccessible::ProgressBar; }
    QString accessibleText() const override;
    std::optional<double> accessibleValue() const override;

    QSize sizeHint() const override { return QSize(108, 4); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double fraction_;
    QColor color_;
    double minimumFill_;
};

} // namespace quorvel
