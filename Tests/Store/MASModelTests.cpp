#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "App/MASModel.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Support/FixedPressure.h"

namespace {

using quorvel::MASModel;
using quorvel::PressureLevel;
using quorvel::PressureSnapshot;
using quorvel::RunningApp;
using quorvel::VMSnapshot;

constexpr int kPatience = 10000; // ms; only a broken build waits this long

VMSnapshot reading(uint64_t freePages) {
    VMSnapshot vm;
    vm.pageSize = 4096;
    vm.totalBytes = 1000 * 4096;
    vm.freePages = freePages;
    vm.activePages = 1000 - freePages;
    return vm;
}

class MASModelTest : public ::testing::Test {
protected:
    std::unique_ptr<MASModel> model() {
        auto settings = std::make_shared<quorvel::platform::SettingsDefaultsStore>(
            dir.filePath(QStringLiteral("Quorvel.conf")));
        auto made = std::make_unique<MASModel>(
            MASModel::Dependencies{quorvel::test::fixedReading(std::nullopt),
                                   [this] {
                                       ++listings;
                                       return apps;
                                   },
                                   settings,
                                   quorvel::ReviewPrompt::systemClock,
                                   {}});
        return made;
    }
    // The monitor's own first snapshot, which has no reading.
    static void awaitFirstSnapshot(MASModel &model) {
        QSignalSpy pressure(&model, &MASModel::pressureChanged);
        ASSERT_TRUE(pressure.wait(kPatience));
    }
    bool storedStrain() const {
        const std::optional<std::string> bytes =
            quorvel::platform::SettingsDefaultsStore(dir.filePath(QStringLiteral("Quorvel.conf")))
                .dataValue(quorvel::ReviewPrompt::kSettingsKey);
        const auto state = bytes ? quorvel::ReviewPromptState::fromJSON(*bytes) : std::nullopt;
        return state && state->sawStrain;
    }

    QTemporaryDir dir;
    std::vector<RunningApp> apps{{42, "Notes", "org.example.Notes", "/apps/notes.desktop"}};
    int listings = 0;
};

TEST_F(MASModelTest, StartsWithTheFirstListingAndAnEmptyHistory) {
    const auto masModel = model();
    EXPECT_EQ(masModel->runningApps(), apps);
    EXPECT_EQ(listings, 1);
    EXPECT_TRUE(masModel->usageHistory().empty());
    EXPECT_EQ(masModel->menuBarSymbol(), QStringLiteral("memorychip"));
    EXPECT_EQ(masModel->reviewPrompt().snapshot().panelOpens, 0);
    EXPECT_TRUE(masModel->reviewPrompt().snapshot().firstLaunch.has_value());
}

TEST_F(MASModelTest, KeepsTheLatest40ReadingsAndTheSymbolOfEachLevel) {
    const auto masModel = model();
    awaitFirstSnapshot(*masModel);
    QSignalSpy history(masModel.get(), &MASModel::usageHistoryChanged);
    for (uint64_t i = 0; i < 41; ++i)
        masModel->receivePressure({PressureLevel::normal, reading(i)});
    EXPECT_EQ(history.count(), 41);
    ASSERT_EQ(masModel->usageHistory().size(), 40u);
    EXPECT_DOUBLE_EQ(masModel->usageHistory().front(), reading(1).usedFraction());
    EXPECT_DOUBLE_EQ(masModel->usageHistory().back(), reading(40).usedFraction());

    // Without a reading the history stays as it is; the level still counts.
    masModel->receivePressure({PressureLevel::critical, std::nullopt});
    EXPECT_EQ(history.count(), 41);
    EXPECT_EQ(masModel->pressure().level, PressureLevel::critical);
    EXPECT_EQ(masModel->menuBarSymbol(), QStringLiteral("exclamationmark.triangle.fill"));
    masModel->receivePressure({PressureLevel::warning, std::nullopt});
    EXPECT_EQ(masModel->menuBarSymbol(), QStringLiteral("exclamationmark.circle"));
}

TEST_F(MASModelTest, AStrainedReadingMarksTheReviewRecordForGood) {
    const auto masModel = model();
    awaitFirstSnapshot(*masModel);
    EXPECT_FALSE(storedStrain());
    masModel->receivePressure({PressureLevel::warning, reading(10)});
    EXPECT_EQ(masModel->reviewPrompt().level(), PressureLevel::warning);
    EXPECT_TRUE(storedStrain());
    masModel->receivePressure({PressureLevel::normal, reading(500)});
    EXPECT_EQ(masModel->reviewPrompt().level(), PressureLevel::normal);
    EXPECT_TRUE(masModel->reviewPrompt().snapshot().sawStrain);
    EXPECT_TRUE(storedStrain());
}

TEST_F(MASModelTest, ReassignsTheRunningAppsAtEveryTick) {
    const auto masModel = model();
    EXPECT_EQ(masModel->appsTimer()->interval(), 5000);
    EXPECT_TRUE(masModel->appsTimer()->isActive());
    EXPECT_FALSE(masModel->appsTimer()->isSingleShot());

    QSignalSpy changes(masModel.get(), &MASModel::runningAppsChanged);
    masModel->appsTimer()->setInterval(1); // the ticks, without the wait
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.count() >= 2; }, kPatience));
    EXPECT_EQ(masModel->runningApps(), apps);
    apps.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return masModel->runningApps().empty(); }, kPatience));
}

} // namespace
