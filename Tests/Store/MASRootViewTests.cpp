#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "App/MASModel.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Support/FixedPressure.h"
#include "Support/Rendering.h"
#include "UI/HealthReadout.h"
#include "UI/MASRootView.h"
#include "UI/PressureHeaderView.h"
#include "UI/RunningAppsCard.h"
#include "UI/Theme.h"
#include "UI/Toolkit/LinkButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/UsageBar.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr int kPatience = 10000; // ms; only a broken build waits this long
constexpr uint64_t kMiB = 1ull << 20;
constexpr uint64_t kGiB = 1ull << 30;

VMSnapshot reading(uint64_t compressedBytes, uint64_t swapUsed, uint64_t freePages = 120000) {
    VMSnapshot vm;
    vm.pageSize = 16384;
    vm.totalBytes = 16 * kGiB;
    vm.freePages = freePages;
    vm.activePages = 420000;
    vm.inactivePages = 200000;
    vm.wiredPages = 110000;
    vm.compressedPages = compressedBytes / vm.pageSize;
    vm.swapTotal = 4 * kGiB;
    vm.swapUsed = swapUsed;
    return vm;
}

std::vector<double> rampHistory() {
    std::vector<double> history;
    for (int i = 0; i < 40; ++i) history.push_back(0.45 + 0.3 * std::sin(i / 4.0) * 0.5);
    return history;
}

// A store-edition model on a private settings file, fed by the test.
class MASRootViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        model = std::make_unique<MASModel>(
            MASModel::Dependencies{test::fixedReading(std::nullopt),
                                   [this] { return apps; },
                                   std::make_shared<platform::SettingsDefaultsStore>(
                                       dir.filePath(QStringLiteral("Quorvel.conf"))),
                                   ReviewPrompt::systemClock,
                                   {}});
        // The monitor's own first snapshot comes first, so it cannot
        // overwrite what a test feeds.
        QSignalSpy pressure(model.get(), &MASModel::pressureChanged);
        ASSERT_TRUE(pressure.wait(kPatience));
    }
    void feed(PressureLevel level, std::optional<VMSnapshot> vm) {
        for (double fraction : rampHistory()) {
            VMSnapshot past = reading(0, 0);
            past.freePages = static_cast<uint64_t>((1 - fraction) * 1048576);
            past.activePages = 1048576 - past.freePages;
            past.inactivePages = past.wiredPages = 0;
            model->receivePressure({PressureLevel::normal, past});
        }
        model->receivePressure({level, vm});
    }

    QTemporaryDir dir;
    std::vector<RunningApp> apps{{7, "Atlas", "atlas", "/a.desktop"},
                                 {9, "Notes", "notes", "/n.desktop"}};
    std::unique_ptr<MASModel> model;
};

TEST(HealthReadoutSignals, ChangeAtTheirThresholds) {
    using S = HealthReadout;
    const struct {
        uint64_t bytes;
        std::string symbol;
        QColor color;
    } compression[] = {{0, "checkmark.circle.fill", Theme::green()},
                       {256 * kMiB - 1, "checkmark.circle.fill", Theme::green()},
                       {256 * kMiB, "rectangle.compress.vertical", Theme::purple()}},
      swap[] = {{0, "checkmark.circle.fill", Theme::green()},
                {1, "internaldrive.fill", Theme::amber()},
                {2 * kGiB - 1, "internaldrive.fill", Theme::amber()},
                {2 * kGiB, "internaldrive.fill", Theme::red()}};
    for (const auto &c : compression) {
        EXPECT_EQ(S::compressionSignal(c.bytes).symbol, c.symbol) << c.bytes;
        EXPECT_EQ(S::compressionSignal(c.bytes).color, c.color) << c.bytes;
    }
    for (const auto &c : swap) {
        EXPECT_EQ(S::swapSignal(c.bytes).symbol, c.symbol) << c.bytes;
        EXPECT_EQ(S::swapSignal(c.bytes).color, c.color) << c.bytes;
    }
    EXPECT_EQ(S::swapSignal(0).text.toStdString(), L10n::t("mas.signal.swap.idle"));
    EXPECT_EQ(S::compressionSignal(256 * kMiB).text.toStdString(),
              L10n::t("mas.signal.compression.active", Format::bytes(256 * kMiB)));
}

TEST(MemoryGaugeTest, FillsAtLeastAStubAndAtMostTheTrack) {
    const auto width = [](double fraction) {
        return UsageBar::fillRect(fraction, QSizeF(300, HealthReadout::kGaugeHeight),
                                  HealthReadout::kGaugeMinimumFill)
            .width();
    };
    EXPECT_EQ(width(0), 6);
    EXPECT_EQ(width(0.01), 6);
    EXPECT_EQ(width(0.5), 150);
    EXPECT_EQ(width(1.7), 300);
    EXPECT_EQ(width(-1), 6);
}

TEST_F(MASRootViewTest, ShowsTheReadingsSignalsAndGaugeOfTheModel) {
    feed(PressureLevel::warning, reading(256 * kMiB, 1));
    MASRootView view(*model);
    const QImage image = test::render(view);
    EXPECT_EQ(view.width(), MASRootView::kWidth);
    ASSERT_FALSE(view.health()->isHidden());
    EXPECT_EQ(view.health()->shownCompression(), HealthReadout::compressionSignal(256 * kMiB));
    EXPECT_EQ(view.health()->shownSwap().color, Theme::amber());
    EXPECT_EQ(view.health()->title()->text().toStdString(), L10n::t("mas.status.title.warning"));
    EXPECT_EQ(view.health()->title()->color(), Theme::amber());
    EXPECT_EQ(view.header()->statsRow(), nullptr);
    EXPECT_EQ(view.health()->gauge()->color(), Theme::amber());
    const QRect gauge(view.health()->gauge()->mapTo(&view, QPoint(0, 0)),
                      view.health()->gauge()->size());
    EXPECT_EQ(view.health()->gauge()->height(), HealthReadout::kGaugeHeight);
    EXPECT_TRUE(test::contains(image, Theme::amber(), gauge.adjusted(0, 3, 0, -3)));
    // At nothing in use the stub still shows in the level's colour.
    VMSnapshot idle{16384, 16 * kGiB};
    idle.freePages = 16 * kGiB / 16384;
    model->receivePressure({PressureLevel::warning, idle});
    // Each nested layout passes its new size up by a posted request.
    for (int pass = 0; pass < 4; ++pass) QCoreApplication::processEvents();
    const QImage empty = test::render(view);
    test::saveShot(empty, QStringLiteral("mas-root-empty-gauge"));
    EXPECT_TRUE(
        test::contains(empty, Theme::amber(), QRect(gauge.topLeft() + QPoint(1, 4), QSize(4, 2))));
    EXPECT_FALSE(test::contains(empty, Theme::amber(),
                                QRect(gauge.topLeft() + QPoint(12, 4), QSize(20, 2))));

    // A new reading redraws in place.
    model->receivePressure({PressureLevel::critical, reading(0, 2 * kGiB)});
    EXPECT_EQ(view.health()->shownSwap().color, Theme::red());
    EXPECT_EQ(view.health()->shownCompression().symbol, "checkmark.circle.fill");
    EXPECT_EQ(view.health()->title()->color(), Theme::red());
}

TEST_F(MASRootViewTest, LeavesTheReadoutOutWithoutAReading) {
    feed(PressureLevel::normal, std::nullopt);
    MASRootView view(*model);
    test::render(view);
    EXPECT_TRUE(view.health()->isHidden());
    test::saveShot(test::render(view), QStringLiteral("mas-root-no-reading"));
}

TEST_F(MASRootViewTest, TheDisclosureOpensAndClosesTheBreakdown) {
    feed(PressureLevel::normal, reading(kGiB, 0));
    MASRootView view(*model);
    view.show();
    HealthReadout &health = *view.health();
    EXPECT_FALSE(health.showsTech());
    EXPECT_EQ(health.breakdown(), nullptr);

    QTest::mouseClick(health.disclosure(), Qt::LeftButton);
    EXPECT_TRUE(health.showsTech());
    ASSERT_NE(health.breakdown(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return health.chevron()->rotation() == 90.0; }, kPatience));

    QTest::mouseClick(health.disclosure(), Qt::LeftButton);
    EXPECT_FALSE(health.showsTech());
    EXPECT_EQ(health.breakdown(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return health.chevron()->rotation() == 0.0; }, kPatience));
}

TEST_F(MASRootViewTest, TheCardCountsTheRunningAppsEvenWhenThereAreNone) {
    feed(PressureLevel::normal, reading(0, 0));
    MASRootView view(*model);
    EXPECT_EQ(view.runningApps()->count()->text().toStdString(),
              L10n::plural("mas.running.count", 2));
    apps.clear();
    model->appsTimer()->setInterval(1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return view.runningApps()->count()->text().toStdString() ==
                   L10n::plural("mas.running.count", 0);
        },
        kPatience));
    EXPECT_FALSE(view.runningApps()->isHidden());
    EXPECT_EQ(view.runningApps()->learnMore()->address(),
              QUrl(QStringLiteral("https://quorvel.io/")));
    EXPECT_EQ(view.rateLink()->address(), ReviewPrompt::writeReviewURL());
    EXPECT_EQ(view.rateLink()->toolTip().toStdString(), L10n::t("mas.footer.rate.help"));
    test::saveShot(test::render(view), QStringLiteral("mas-root-no-apps"));
}

struct LevelShot {
    PressureLevel level;
    uint64_t compressed;
    uint64_t swap;
    uint64_t freePages;
    const char *name;
};

class MASRootViewLevels : public MASRootViewTest,
                          public ::testing::WithParamInterface<LevelShot> {};

TEST_P(MASRootViewLevels, RendersInTheLevelColour) {
    const LevelShot shot = GetParam();
    feed(shot.level, reading(shot.compressed, shot.swap, shot.freePages));
    MASRootView view(*model);
    view.show();
    QTest::mouseClick(view.health()->disclosure(), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return view.health()->chevron()->rotation() == 90.0; }, kPatience));
    QTest::qWait(HealthReadout::kDisclosureMilliseconds +
                 50); // let the fade settle for the picture
    const QImage image = test::render(view);
    const QWidget *title = view.health()->title();
    EXPECT_TRUE(test::contains(image, pressureColor(shot.level),
                               QRect(title->mapTo(&view, QPoint(0, 0)), title->size())));
    test::saveShot(image, QStringLiteral("mas-root-") + QLatin1String(shot.name));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, MASRootViewLevels,
    ::testing::Values(LevelShot{PressureLevel::normal, 96 * kMiB, 0, 300000, "normal"},
                      LevelShot{PressureLevel::warning, 1536 * kMiB, 700 * kMiB, 60000, "warning"},
                      LevelShot{PressureLevel::critical, 3 * kGiB, 3 * kGiB, 8000, "critical"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace quorvel
