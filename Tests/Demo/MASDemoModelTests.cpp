#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

#include "App/MASModel.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Support/FixedPressure.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

QByteArray contents(const QString &file) {
    QFile stored(file);
    return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
}

TEST(MASDemoModel, ShowsItsSceneAndNeverTouchesTheReviewRecord) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quorvel.conf"));
    ReviewPromptState stored;
    stored.panelOpens = 41;
    stored.sawStrain = true;
    auto defaults = std::make_shared<platform::SettingsDefaultsStore>(file);
    ASSERT_TRUE(defaults->write({{ReviewPrompt::kSettingsKey, *stored.toJSON()}}));
    const QByteArray before = contents(file);

    auto readings = std::make_shared<std::atomic<int>>(0);
    auto listings = std::make_shared<std::atomic<int>>(0);
    for (MASShotScene scene : kAllMASShotScenes) {
        SCOPED_TRACE(std::string(rawValue(scene)));
        PressureMonitor::Dependencies pressure = test::fixedReading(std::nullopt);
        pressure.readVM = [readings] {
            ++*readings;
            return std::optional<VMSnapshot>(VMSnapshot{4096, 8192, 1});
        };
        pressure.period = 10ms;
        MASModel model(scene, {std::move(pressure),
                               [listings] {
                                   ++*listings;
                                   return std::vector<RunningApp>{{7, "Live", {}, {}}};
                               },
                               defaults,
                               ReviewPrompt::systemClock,
                               {}});
        const MASFixtureData fixture = MASFixtureData::make(scene);

        EXPECT_EQ(model.pressure(), fixture.pressure);
        EXPECT_EQ(model.usageHistory(), fixture.history);
        EXPECT_EQ(model.menuBarSymbol().toStdString(), symbol(fixture.pressure.level));
        ASSERT_EQ(model.runningApps().size(), static_cast<std::size_t>(fixture.runningAppCount));
        EXPECT_EQ(model.runningApps().front(), (RunningApp{1000, "Fixture App 0", {}, {}}));
        const RunningApp &last = model.runningApps().back();
        EXPECT_EQ(last.id, 1000 + fixture.runningAppCount - 1);
        EXPECT_EQ(last.name, "Fixture App " + std::to_string(fixture.runningAppCount - 1));
        EXPECT_EQ(model.appsTimer(), nullptr);
        EXPECT_EQ(model.reviewPrompt().snapshot().panelOpens, 0) << "a fresh record";

        model.reviewPrompt().notePressure(PressureLevel::critical);
        model.reviewPrompt().panelDidOpen();
        model.reviewPrompt().panelDidClose();
        QTest::qWait(100);
        EXPECT_EQ(model.pressure(), fixture.pressure);
        EXPECT_EQ(model.runningApps().size(), static_cast<std::size_t>(fixture.runningAppCount));
    }
    EXPECT_EQ(*readings, 0);
    EXPECT_EQ(*listings, 0);
    EXPECT_EQ(contents(file), before);
}

} // namespace
} // namespace quorvel
