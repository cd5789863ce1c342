#include "UI/Sparkline.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "UI/Toolkit/Shapes.h"

namespace quorvel {
namespace {

constexpr double kLineWidth = 1.5;
// Room for half the line beyond the frame's edges.
constexpr int kBleed = 1;

} // namespace

Sparkline::Sparkline(std::vector<double> values, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , values_(std::move(values))
    , color_(color) {
    setFixedSize(static_cast<int>(kFrame.width()) + 2 * kBleed,
                 static_cast<int>(kFrame.height()) + 2 * kBleed);
}

void Sparkline::setValues(std::vector<double> values) {
    values_ = std::move(values);
    update();
}

void Sparkline::setColor(const QColor &color) {
    color_ = color;
    update();
}

QRectF Sparkline::chartRect() const {
    return QRectF(QPointF(kBleed, kBleed), kFrame);
}

std::vector<QPointF> Sparkline::points(std::span<const double> values, QSizeF frame) {
    const std::span<const double> drawn =
        values.size() > kMaxValues ? values.last(kMaxValues) : values;
    if (drawn.size() < 2) return {};
    const double step = frame.width() / static_cast<double>(drawn.size() - 1);
    std::vector<QPointF> result;
    result.reserve(drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const double v = std::isnan(drawn[i]) ? 1.0 : std::clamp(drawn[i], 0.0, 1.0);
        result.emplace_back(static_cast<double>(i) * step, frame.height() - v * frame.height());
    }
    return result;
}

void Sparkline::paintEvent(QPaintEvent *) {
    std::vector<QPointF> chart = points(values_, kFrame);
    const QPointF origin = chartRect().topLeft();
    for (QPointF &point : chart) point += origin;
    QPainter painter(this);
    Shapes::strokePolyline(painter, chart, color_, kLineWidth);
}

} // namespace quorvel
