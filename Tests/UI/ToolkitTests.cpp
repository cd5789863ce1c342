#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "UI/SegmentBar.h"
#include "UI/Sparkline.h"
#include "UI/Theme.h"
#include "UI/UsageBar.h"

namespace quorvel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The last forty values over the frame's width, clamped to its height.
TEST(Sparkline, DrawsTheLastFortyValuesClampedIntoItsFrame) {
    std::vector<double> ramp(100);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = double(i) / 100.0;
    const struct {
        const char *name;
        std::vector<double> values;
        std::size_t count;
        QPointF first, last;
    } cases[] = {
        {"one", {0.5}, 0, {}, {}},
        {"out of range", {-0.2, 1.4}, 2, {0, 18}, {64, 0}},
        {"not a number", {kNaN, 0.5}, 2, {0, 0}, {64, 9}},
        {"a hundred", ramp, 40, {0, 18 - 0.60 * 18}, {64, 18 - 0.99 * 18}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<QPointF> points = Sparkline::points(c.values);
        ASSERT_EQ(points.size(), c.count);
        if (c.count == 0) continue;
        EXPECT_NEAR(QLineF(points.front(), c.first).length(), 0, 1e-9);
        EXPECT_NEAR(QLineF(points.back(), c.last).length(), 0, 1e-9);
    }
}

// The width less two-pixel gaps, in proportion; nothing divides by a zero total.
TEST(SegmentBar, SplitsTheWidthLessGapsInProportion) {
    const struct {
        const char *name;
        std::vector<double> values;
        double width;
        std::vector<double> widths;
    } cases[] = {
        {"proportions", {3, 1, 0, 1}, 306, {180, 60, 0, 60}},
        {"all zero", {0, 0, 0}, 300, {0, 0, 0}},
        {"narrower than the gaps", {1, 1}, 1, {0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SegmentBar::Segment> segments;
        for (double value : c.values) segments.push_back({Theme::green(), value});
        const std::vector<QRectF> rects = SegmentBar::layout(segments, c.width);
        ASSERT_EQ(rects.size(), c.widths.size());
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_DOUBLE_EQ(rects[i].width(), c.widths[i]);
            // What is drawn stays on the bar.
            EXPECT_TRUE(std::isfinite(rects[i].x()) &&
                        (rects[i].width() == 0 || rects[i].right() <= c.width));
        }
    }
}

TEST(UsageBar, ClampsItsFillAndKeepsADotWhenEmpty) {
    for (const auto &[fraction, width] : std::vector<std::pair<double, double>>{
             {0, 3}, {-1, 3}, {0.5, 54}, {2, 108}, {kNaN, 108}}) {
        SCOPED_TRACE(fraction);
        EXPECT_DOUBLE_EQ(UsageBar::fillRect(fraction, QSizeF(108, 4)).width(), width);
    }
}

} // namespace
} // namespace quorvel
