#include "UI/SegmentBar.h"

#include <QPainter>

#include <algorithm>

#include "UI/Toolkit/Shapes.h"

namespace quorvel {
namespace {

constexpr double kGap = 2;
constexpr double kMinimumTotal = 0.0001;
constexpr double kCornerRadius = 3;

} // namespace

SegmentBar::SegmentBar(std::vector<Segment> segments, QWidget *parent)
    : QWidget(parent)
    , segments_(std::move(segments)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
}

void SegmentBar::setSegments(std::vector<Segment> segments) {
    segments_ = std::move(segments);
    update();
}

std::vector<QRectF> SegmentBar::layout(std::span<const Segment> segments, double width,
                                       double height) {
    std::vector<QRectF> rects;
    if (segments.empty()) return rects;
    double total = 0;
    for (const Segment &segment : segments) total += std::max(0.0, segment.value);
    if (!(total > kMinimumTotal)) total = kMinimumTotal;
    const double gaps = kGap * static_cast<double>(segments.size() - 1);
    const double available = std::max(0.0, width - gaps);
    double x = 0;
    rects.reserve(segments.size());
    for (const Segment &segment : segments) {
        const double w = std::max(0.0, segment.value) * available / total;
        rects.emplace_back(x, 0, w, height);
        x += w + kGap;
    }
    return rects;
}

void SegmentBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const std::vector<QRectF> rects = layout(segments_, width(), height());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].width() <= 0) continue;
        Shapes::fill(painter, Shapes::roundedRect(rects[i], kCornerRadius), segments_[i].color);
    }
}

} // namespace quorvel
