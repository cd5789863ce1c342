#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

#include <span>
#include <vector>

namespace quorvel {

// A small line chart of the most recent fractions, oldest on the left.
class Sparkline : public QWidget {
    Q_OBJECT
public:
    static constexpr QSizeF kFrame{64, 18};
    static constexpr std::size_t kMaxValues = 40;

    Sparkline(std::vector<double> values, const QColor &color, QWidget *parent = nullptr);

    const std::vector<double> &values() const { return values_; }
    const QColor &color() const { return color_; }
    void setValues(std::vector<double> values);
    void setColor(const QColor &color);

    // The chart's points in `frame`: the last `kMaxValues` values spread over
    // its width, 0 at the bottom edge and 1 at the top; fewer than two values
    // give none. Values are clamped to 0…1, a NaN counts as 1.
    static std::vector<QPointF> points(std::span<const double> values, QSizeF frame = kFrame);

    // Where the chart's frame lies inside the widget, which keeps room around
    // it for the line's round caps.
    QRectF chartRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<double> values_;
    QColor color_;
};

} // namespace quorvel
