#pragma once

#include <QColor>
#include <QWidget>

namespace quorvel {

// A fraction as a rounded bar on a faint track, 10 px high; the fill never
// shrinks below a visible stub.
class MemoryGauge : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 10;
    static constexpr double kMinimumFill = 6;

    explicit MemoryGauge(QWidget *parent = nullptr);

    double fraction() const { return fraction_; }
    const QColor &color() const { return color_; }
    void setValue(double fraction, const QColor &color);

    // The fill's width on a track `width` wide: the fraction clamped to 0…1
    // (nothing for a fraction that is not a number), at least the stub.
    static double fillWidth(double fraction, double width);

    QSize sizeHint() const override { return QSize(200, kHeight); }
    QSize minimumSizeHint() const override { return QSize(0, kHeight); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double fraction_ = 0;
    QColor color_;
};

} // namespace quorvel
