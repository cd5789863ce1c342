#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

#include "App/ProModel.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

// A machine that would change what the model shows at every reading, read
// as often as the parts allow, had the model started them.
struct BusyMachine {
    std::shared_ptr<std::atomic<int>> readings = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> listings = std::make_shared<std::atomic<int>>(0);

    ProModel::Dependencies parts(const QString &settingsFile) const {
        PressureMonitor::Dependencies pressure = test::fixedReading(VMSnapshot{4096, 8192, 1});
        pressure.readVM = [readings = readings] {
            ++*readings;
            return std::optional<VMSnapshot>(VMSnapshot{4096, 8192, 1});
        };
        pressure.period = 10ms;
        ProModel::Dependencies parts =
            test::scriptedParts(std::move(pressure), [listings = listings] {
                ++*listings;
                RawProcess process;
                process.pid = 4242;
                process.footprint = 1 << 20;
                process.name = "busy";
                return std::vector<RawProcess>{process};
            });
        parts.defaults = std::make_shared<platform::SettingsDefaultsStore>(settingsFile);
        return parts;
    }
};

TEST(DemoModel, ShowsItsSceneAndKeepsItWhileTimePasses) {
    QTemporaryDir dir;
    BusyMachine machine;
    const auto startedAt = ProcessGovernor::Clock::now();
    for (ShotScene scene : kAllShotScenes) {
        SCOPED_TRACE(std::string(rawValue(scene)));
        ProModel::Dependencies parts = machine.parts(dir.filePath("Quorvel.conf"));
        parts.governor.now = [startedAt] { return startedAt; };
        ProModel model(scene, std::move(parts));
        const ShotFixtureData fixture = ShotFixtureData::make(scene, startedAt);

        QTest::qWait(200);
        EXPECT_EQ(*machine.readings, 0);
        EXPECT_EQ(*machine.listings, 0);
        EXPECT_EQ(model.sampler().timerPeriod(), 0ms);
        EXPECT_EQ(model.groups(), fixture.groups);
        EXPECT_EQ(model.pressure(), fixture.pressure);
        EXPECT_EQ(model.usageHistory(), fixture.history);
        EXPECT_EQ(model.menuBarSymbol().toStdString(), symbol(fixture.pressure.level));
        EXPECT_EQ(model.governor().focusSession(), fixture.focusSession);
        EXPECT_EQ(model.thresholds().rules().size(), fixture.rules.size());
        EXPECT_FALSE(model.thresholds().isAutomaticGovernanceOn());
        EXPECT_FALSE(model.thresholds().persists());
    }
}

TEST(DemoModel, NeverWritesTheSettingsFileWhateverTheUserChanges) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Quorvel.conf");
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("quorvel.threshold.automatic"), true);
        settings.setValue(QStringLiteral("unrelated"), QStringLiteral("kept"));
    }
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray before = stored.readAll();
    stored.close();

    BusyMachine machine;
    ProModel model(ShotScene::thresholdRules, machine.parts(file));
    ASSERT_EQ(model.thresholds().rules().size(), 1u);
    EXPECT_FALSE(model.thresholds().isAutomaticGovernanceOn())
        << "the scene's switch wins over the stored one";

    ThresholdRule changed = model.thresholds().rules()[0];
    changed.limitBytes = 1;
    model.thresholds().update(changed);
    model.thresholds().addRule("/Applications/Docker.app", "Docker");
    model.thresholds().setAutomaticGovernanceOn(true);
    model.thresholds().removeRule(changed.id);
    EXPECT_EQ(model.thresholds().rules().size(), 1u);

    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Quorvel.conf")});
}

TEST(DemoModel, LeavingTheDemoFocusSessionSignalsNothing) {
    QTemporaryDir dir;
    BusyMachine machine;
    auto workspace = std::make_shared<platform::InMemoryWorkspace>();
    ProModel::Dependencies parts = machine.parts(dir.filePath("Quorvel.conf"));
    parts.governor.workspace = workspace;
    ProModel model(ShotScene::focusAfter, std::move(parts));
    ASSERT_TRUE(model.governor().focusSession());

    model.governor().exitFocus();
    EXPECT_FALSE(model.governor().focusSession());
    ASSERT_EQ(model.governor().history().size(), 1u);
    EXPECT_EQ(model.governor().history()[0].action, GovernanceAction::focusExit);
    EXPECT_TRUE(workspace->signalCalls().empty());
}

} // namespace
} // namespace quorvel
