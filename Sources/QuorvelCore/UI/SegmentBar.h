#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <span>
#include <vector>

namespace quorvel {

// Segments side by side, 2 px apart, widths in proportion to their values.
class SegmentBar : public QWidget {
    Q_OBJECT
public:
    struct Segment {
        QColor color;
        double value = 0; // any unit, not negative
    };

    static constexpr int kHeight = 8;

    explicit SegmentBar(std::vector<Segment> segments = {}, QWidget *parent = nullptr);

    const std::vector<Segment> &segments() const { return segments_; }
    void setSegments(std::vector<Segment> segments);

    // One rectangle per segment, in list order, for a bar `width` wide. A
    // total near zero divides by a small floor instead, so zeros draw as
    // empty segments.
    static std::vector<QRectF> layout(std::span<const Segment> segments, double width,
                                      double height = kHeight);

    QSize sizeHint() const override { return QSize(200, kHeight); }
    QSize minimumSizeHint() const override { return QSize(0, kHeight); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<Segment> segments_;
};

} // namespace quorvel
