#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Support/Rendering.h"
#include "UI/SegmentBar.h"
#include "UI/Sparkline.h"
#include "UI/Theme.h"
#include "UI/UsageBar.h"

namespace quorvel {
namespace {

TEST(Sparkline, DrawsNothingBelowTwoValues) {
    EXPECT_TRUE(Sparkline::points({}).empty());
    const std::vector<double> one{0.5};
    EXPECT_TRUE(Sparkline::points(one).empty());
}

TEST(Sparkline, TwoValuesSpanTheFrameFromEdgeToEdge) {
    const std::vector<double> two{0.0, 1.0};
    const std::vector<QPointF> points = Sparkline::points(two);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0], QPointF(0, 18));
    EXPECT_EQ(points[1], QPointF(64, 0));
}

TEST(Sparkline, DrawsOnlyTheLastFortyValuesOverTheFullWidth) {
    std::vector<double> values(100);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = double(i) / 100.0;
    const std::vector<QPointF> points = Sparkline::points(values);
    ASSERT_EQ(points.size(), 40u);
    EXPECT_DOUBLE_EQ(points.front().x(), 0);
    EXPECT_DOUBLE_EQ(points.back().x(), 64);
    // The first drawn value is the 61st of the hundred.
    EXPECT_DOUBLE_EQ(points.front().y(), 18 - 0.60 * 18);
}

TEST(Sparkline, ClampsOutOfRangeValuesToTheEdges) {
    const std::vector<double> values{-0.2, 1.4, std::numeric_limits<double>::quiet_NaN()};
    const std::vector<QPointF> points = Sparkline::points(values);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_DOUBLE_EQ(points[0].y(), 18);
    EXPECT_DOUBLE_EQ(points[1].y(), 0);
    EXPECT_DOUBLE_EQ(points[2].y(), 0);
}

TEST(Sparkline, RendersEachCountWithinItsFrame) {
    for (std::size_t count : {0u, 1u, 2u, 40u}) {
        SCOPED_TRACE(count);
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) values.push_back(i % 2 ? 0.9 : 0.1);
        Sparkline chart(values, Theme::green());
        const QImage image = test::render(chart);
        test::saveShot(image, QStringLiteral("sparkline-%1").arg(count));
        EXPECT_EQ(test::contains(image, Theme::green(), {}, 60), count >= 2);
        // The line's round caps, half its width beyond the frame, stay inside the widget.
        EXPECT_TRUE(
            QRectF(chart.rect()).contains(chart.chartRect().adjusted(-0.75, -0.75, 0.75, 0.75)));
    }
}

TEST(SegmentBar, ZeroTotalsGiveEmptySegmentsWithoutDividingByZero) {
    const std::vector<SegmentBar::Segment> zeros{
        {Theme::green(), 0}, {Theme::amber(), 0}, {Theme::red(), 0}};
    const std::vector<QRectF> rects = SegmentBar::layout(zeros, 300);
    ASSERT_EQ(rects.size(), 3u);
    for (const QRectF &rect : rects) {
        EXPECT_EQ(rect.width(), 0);
        EXPECT_TRUE(std::isfinite(rect.x()));
    }
    SegmentBar bar(zeros);
    bar.setFixedWidth(300);
    test::saveShot(test::render(bar), QStringLiteral("segmentbar-zero"));
}

TEST(SegmentBar, SplitsTheWidthLessGapsInProportion) {
    const std::vector<SegmentBar::Segment> segments{
        {Theme::green(), 3}, {Theme::amber(), 1}, {Theme::purple(), 0}, {Theme::green(), 1}};
    const std::vector<QRectF> rects = SegmentBar::layout(segments, 306);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_DOUBLE_EQ(rects[0].width(), 180);
    EXPECT_DOUBLE_EQ(rects[1].x(), 182);
    EXPECT_DOUBLE_EQ(rects[1].width(), 60);
    EXPECT_DOUBLE_EQ(rects[2].width(), 0);
    EXPECT_DOUBLE_EQ(rects[3].right(), 306);
    SegmentBar bar(segments);
    bar.setFixedWidth(306);
    const QImage image = test::render(bar);
    test::saveShot(image, QStringLiteral("segmentbar"));
    EXPECT_TRUE(test::near(image.pixelColor(90, 4), Theme::green()));
    EXPECT_TRUE(test::near(image.pixelColor(210, 4), Theme::amber()));
}

TEST(SegmentBar, OneSegmentSpansTheFullWidthAndANarrowBarClampsToZero) {
    const std::vector<SegmentBar::Segment> one{{Theme::blue(), 5}};
    EXPECT_DOUBLE_EQ(SegmentBar::layout(one, 250)[0].width(), 250);
    const std::vector<SegmentBar::Segment> many{{Theme::blue(), 1}, {Theme::red(), 1}};
    for (const QRectF &rect : SegmentBar::layout(many, 1)) EXPECT_EQ(rect.width(), 0);
}

TEST(UsageBar, ClampsItsFillAndKeepsADotWhenEmpty) {
    const QSizeF bar(108, 4);
    EXPECT_DOUBLE_EQ(UsageBar::fillRect(0, bar).width(), 3);
    EXPECT_DOUBLE_EQ(UsageBar::fillRect(-1, bar).width(), 3);
    EXPECT_DOUBLE_EQ(UsageBar::fillRect(0.5, bar).width(), 54);
    EXPECT_DOUBLE_EQ(UsageBar::fillRect(2, bar).width(), 108);
    EXPECT_DOUBLE_EQ(UsageBar::fillRect(std::numeric_limits<double>::quiet_NaN(), bar).width(),
                     108);
}

TEST(UsageBar, RendersTrackAndFill) {
    UsageBar bar(0.85, Theme::usageColor(0.85));
    bar.setFixedSize(108, 6);
    const QImage image = test::render(bar);
    test::saveShot(image, QStringLiteral("usagebar"));
    EXPECT_TRUE(test::near(image.pixelColor(50, 3), Theme::amber()));
    EXPECT_FALSE(test::near(image.pixelColor(100, 3), Theme::amber()));
}

} // namespace
} // namespace quorvel
