#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

#include "App/ProModel.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"

namespace quorvel {
namespace {

// A machine that changes at every reading, read as often as the parts allow
// once a model starts them; it counts every look at it.
struct BusyMachine {
    std::shared_ptr<std::atomic<int>> looks = std::make_shared<std::atomic<int>>(0);

    PressureMonitor::Dependencies pressure() const {
        PressureMonitor::Dependencies parts = test::fixedReading(std::nullopt);
        parts.readVM = [looks = looks] {
            return std::optional<VMSnapshot>(VMSnapshot{4096, 8192, uint64_t(++*looks)});
        };
        parts.period = std::chrono::milliseconds(10);
        return parts;
    }
    ProModel::Dependencies proParts(std::shared_ptr<platform::DefaultsStore> defaults) const {
        ProModel::Dependencies parts = test::scriptedParts(pressure(), [looks = looks] {
            ++*looks;
            return std::vector<RawProcess>();
        });
        parts.defaults = std::move(defaults);
        return parts;
    }
};

// Every scene over one real settings file: what the user does in a demo
// neither reads nor writes it, and the machine is never read while a started
// model reads it over and over.
TEST(DemoModel, KeepsItsSceneAndNeverTouchesTheSettingsFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quorvel.conf"));
    auto defaults = std::make_shared<platform::SettingsDefaultsStore>(file);
    ASSERT_TRUE(defaults->write({{std::string(ThresholdController::kMasterKey), true}}));
    const auto contents = [&] {
        QFile stored(file);
        return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
    };
    const QByteArray before = contents();

    BusyMachine demo;
    std::vector<std::pair<std::unique_ptr<ProModel>, PressureSnapshot>> pro;
    for (ShotScene scene : kAllShotScenes) {
        pro.emplace_back(std::make_unique<ProModel>(scene, demo.proParts(defaults)),
                         ShotFixtureData::make(scene, {}).pressure);
        ThresholdController &thresholds = pro.back().first->thresholds();
        EXPECT_FALSE(thresholds.isAutomaticGovernanceOn()) << "the scene's switch wins";
        thresholds.addRule("/Applications/Docker.app", "Docker");
        ThresholdRule changed = thresholds.rules().back();
        changed.limitBytes = 1;
        thresholds.update(changed);
        thresholds.setAutomaticGovernanceOn(true);
        thresholds.removeRule(changed.id);
    }

    BusyMachine live;
    ProModel started(live.proParts(std::make_shared<platform::InMemoryDefaultsStore>()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return *live.looks >= 20; }, 30000));
    EXPECT_EQ(*demo.looks, 0);
    for (const auto &[model, pressure] : pro) EXPECT_EQ(model->pressure(), pressure);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Quorvel.conf")});
}

// The demo's frozen applications are made up: their process ids may be anyone's.
TEST(DemoModel, LeavingTheDemoFocusSessionSignalsNothing) {
    auto workspace = std::make_shared<platform::InMemoryWorkspace>();
    ProModel::Dependencies parts =
        BusyMachine().proParts(std::make_shared<platform::InMemoryDefaultsStore>());
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
