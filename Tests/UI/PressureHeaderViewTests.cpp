#include <gtest/gtest.h>

#include <QFontMetricsF>

#include <limits>

#include "Support/Rendering.h"
#include "UI/PanelLabel.h"
#include "UI/PressureHeaderView.h"
#include "UI/Sparkline.h"
#include "UI/StatCell.h"
#include "UI/Theme.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/TextView.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr uint64_t kGiB = 1ull << 30;

VMSnapshot reading() {
    VMSnapshot vm;
    vm.pageSize = 16384;
    vm.totalBytes = 16 * kGiB;
    vm.freePages = 200000;
    vm.activePages = 400000;
    vm.wiredPages = 100000;
    vm.compressedPages = 2 * kGiB / 16384;
    vm.swapTotal = 4 * kGiB;
    vm.swapUsed = 512ull << 20;
    return vm;
}

std::vector<double> rampHistory(std::size_t count) {
    std::vector<double> history;
    for (std::size_t i = 0; i < count; ++i) history.push_back(0.35 + 0.4 * double(i % 9) / 9.0);
    return history;
}

// A text is cut when even at its smallest allowed size it is wider than its
// place, and so gets elided.
bool shownWhole(const TextView &view) {
    return QFontMetricsF(view.fittedFont()).horizontalAdvance(view.text()) <= view.width() + 0.5;
}

QColor centrePixel(const QImage &image, const QWidget &part, const QWidget &root) {
    const QPoint centre = part.mapTo(&root, part.rect().center());
    return image.pixelColor(centre);
}

struct LevelCase {
    PressureLevel level;
    const char *name;
};

class PressureHeaderLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(PressureHeaderLevels, DrawsDotWordAndChartInTheLevelColour) {
    const LevelCase c = GetParam();
    PressureHeaderView header(true);
    header.setFixedWidth(400);
    header.setPressure({c.level, reading()});
    header.setHistory(rampHistory(40));
    const QImage image = test::render(header);
    test::saveShot(image, QStringLiteral("header-") + QLatin1String(c.name));

    const QColor level = pressureColor(c.level);
    EXPECT_EQ(header.levelWord()->text(), qtText(word(c.level)));
    EXPECT_EQ(header.levelWord()->color(), level);
    EXPECT_EQ(header.title()->text(), qtText(L10n::t("header.title")));
    EXPECT_EQ(header.title()->color(), Theme::ink());
    EXPECT_TRUE(test::near(centrePixel(image, *header.statusDot(), header), level, 8));
    EXPECT_EQ(header.sparkline()->color(), Theme::withOpacity(level, 0.85));
    const QRect chart =
        QRect(header.sparkline()->mapTo(&header, QPoint(0, 0)), header.sparkline()->size());
    EXPECT_TRUE(test::contains(image, level, chart, 40));
    // The title never takes the level's colour.
    const QRect title(header.title()->mapTo(&header, QPoint(0, 0)), header.title()->size());
    EXPECT_FALSE(test::contains(image, level, title, 20));
}

INSTANTIATE_TEST_SUITE_P(EachLevel, PressureHeaderLevels,
                         ::testing::Values(LevelCase{PressureLevel::normal, "normal"},
                                           LevelCase{PressureLevel::warning, "warning"},
                                           LevelCase{PressureLevel::critical, "critical"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PressureHeaderView, ShowsTheThreeFiguresOfAReadingUnclipped) {
    PressureHeaderView header(true);
    header.setFixedWidth(400);
    const VMSnapshot vm = reading();
    header.setPressure({PressureLevel::normal, vm});
    test::render(header);

    ASSERT_NE(header.statsRow(), nullptr);
    const std::vector<StatCell *> cells = header.statCells();
    const std::vector<std::pair<uint64_t, const char *>> expected = {
        {vm.totalBytes, "header.stat.physical"},
        {vm.compressedPages * vm.pageSize, "header.stat.compressed"},
        {vm.swapUsed, "header.stat.swap"}};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cells[i]->valueView()->text(), qtText(Format::bytes(expected[i].first)));
        EXPECT_EQ(cells[i]->labelView()->text(), qtText(L10n::t(expected[i].second)).toUpper());
        EXPECT_TRUE(shownWhole(*cells[i]->valueView()));
        EXPECT_TRUE(shownWhole(*cells[i]->labelView()));
    }
    // Three cells share the row equally.
    EXPECT_LE(std::abs(cells[0]->width() - cells[2]->width()), 1);
    for (TextView *text : {header.title(), header.levelWord()}) EXPECT_TRUE(shownWhole(*text));
    EXPECT_LE(header.sparkline()->geometry().right(), header.width() - 16);
}

TEST(PressureHeaderView, WithoutAReadingShowsOnlyTheFirstRow) {
    PressureHeaderView withReading(true);
    withReading.setFixedWidth(400);
    withReading.setPressure({PressureLevel::normal, reading()});
    PressureHeaderView header(true);
    header.setFixedWidth(400);
    header.setPressure({PressureLevel::warning, std::nullopt});
    const QImage image = test::render(header);
    test::saveShot(image, QStringLiteral("header-no-reading"));
    test::render(withReading);

    EXPECT_EQ(header.statsRow(), nullptr);
    EXPECT_LT(header.height(), withReading.height());
    EXPECT_EQ(header.levelWord()->text(), qtText(word(PressureLevel::warning)));

    // A reading that arrives later brings the row; losing it again removes it.
    header.setPressure({PressureLevel::normal, reading()});
    EXPECT_NE(header.statsRow(), nullptr);
    header.setPressure({PressureLevel::normal, std::nullopt});
    EXPECT_EQ(header.statsRow(), nullptr);
}

TEST(PressureHeaderView, LeavesTheFiguresOutWhenNotAsked) {
    PressureHeaderView header(false);
    header.setPressure({PressureLevel::normal, reading()});
    EXPECT_EQ(header.statsRow(), nullptr);
}

TEST(PressureHeaderView, WritesFiguresBeyondTheSignedRangeAsItsLargestValue) {
    PressureHeaderView header(true);
    header.setFixedWidth(400);
    VMSnapshot vm = reading();
    vm.totalBytes = std::numeric_limits<uint64_t>::max();
    vm.swapUsed = std::numeric_limits<uint64_t>::max();
    header.setPressure({PressureLevel::critical, vm});
    const QImage image = test::render(header);
    test::saveShot(image, QStringLiteral("header-huge-figures"));
    const StatCell *physical = header.statCells()[0];
    EXPECT_EQ(physical->valueView()->text(),
              qtText(Format::bytes(uint64_t(std::numeric_limits<int64_t>::max()))));
}

} // namespace
} // namespace quorvel
