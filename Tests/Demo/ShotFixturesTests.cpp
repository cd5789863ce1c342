#include <gtest/gtest.h>

#include <numeric>

#include "Support/MASShotFixtures.h"
#include "Support/ShotFixtures.h"

namespace quorvel {
namespace {

constexpr double kGiB = 1073741824.0;

TEST(ShotScene, NamesReadBackExactlyAndNothingElseIsAScene) {
    for (ShotScene scene : kAllShotScenes) EXPECT_EQ(shotSceneFromRaw(rawValue(scene)), scene);
    for (MASShotScene scene : kAllMASShotScenes)
        EXPECT_EQ(masShotSceneFromRaw(rawValue(scene)), scene);
    EXPECT_EQ(rawValue(ShotScene::thresholdRules), "thresholdRules");
    EXPECT_EQ(rawValue(MASShotScene::baseRam8GB), "baseRam8GB");
    for (const char *other : {"ThresholdRules", "focusafter", "", " focusBefore", "healthy"})
        EXPECT_FALSE(shotSceneFromRaw(other)) << other;
    for (const char *other : {"Healthy", "maxedout", "", "focusBefore"})
        EXPECT_FALSE(masShotSceneFromRaw(other)) << other;
}

TEST(ShotFixtures, GroupsShareTheFootprintEvenlyAndCarryTheirHogLabel) {
    const auto &apps = Fixture::apps();
    ASSERT_EQ(apps.size(), 6u);

    const AppGroup chatGPT = Fixture::group(apps[0], false);
    ASSERT_EQ(chatGPT.processes.size(), 1u);
    EXPECT_EQ(chatGPT.current, static_cast<uint64_t>(3.4 * kGiB));
    EXPECT_EQ(chatGPT.peak, static_cast<uint64_t>(4.1 * kGiB));
    EXPECT_EQ(chatGPT.processes[0].footprint, chatGPT.current);
    EXPECT_EQ(chatGPT.processes[0].path, "/Applications/ChatGPT.app/Contents/MacOS/ChatGPT");
    EXPECT_EQ(chatGPT.processes[0].ppid, 1);
    EXPECT_EQ(chatGPT.key, "/Applications/ChatGPT.app");
    EXPECT_EQ(chatGPT.appPath, chatGPT.key);
    EXPECT_EQ(chatGPT.hogLabel, "ChatGPT");
    EXPECT_TRUE(chatGPT.isKnownHog);
    EXPECT_FALSE(chatGPT.isStopped);

    const AppGroup chrome = Fixture::group(apps[1], true);
    ASSERT_EQ(chrome.processes.size(), 34u);
    EXPECT_EQ(chrome.current, 3328599654u);
    for (const RawProcess &process : chrome.processes) {
        EXPECT_EQ(process.footprint, 3328599654u / 34);
        EXPECT_TRUE(process.isStopped());
    }
    EXPECT_TRUE(chrome.isStopped);
    EXPECT_EQ(chrome.bundleID, "com.google.Chrome");

    // A row claiming no processes still yields one holding everything.
    Fixture::App empty = apps[4];
    empty.procs = 0;
    const AppGroup docker = Fixture::group(empty, false);
    ASSERT_EQ(docker.processes.size(), 1u);
    EXPECT_EQ(docker.processes[0].footprint, docker.current);
    EXPECT_FALSE(docker.isKnownHog);
    EXPECT_EQ(docker.hogLabel, std::nullopt);
}

TEST(ShotFixtures, HistoriesRiseToNinetyNinePercentAndDropToEightySevenAndAHalf) {
    const std::vector<double> rising = Fixture::history(false);
    ASSERT_EQ(rising.size(), 30u);
    EXPECT_DOUBLE_EQ(rising.front(), 0.72);
    EXPECT_DOUBLE_EQ(rising.back(), 0.99);
    EXPECT_TRUE(std::is_sorted(rising.begin(), rising.end()));

    const std::vector<double> dropping = Fixture::history(true);
    ASSERT_EQ(dropping.size(), 40u);
    EXPECT_TRUE(std::equal(rising.begin(), rising.end(), dropping.begin()));
    EXPECT_DOUBLE_EQ(dropping[30], 0.9785);
    EXPECT_DOUBLE_EQ(dropping.back(), 0.875);
}

TEST(ShotFixtures, ScenesShowTheirPressureGroupsSessionAndRules) {
    const auto now = ActionRecord::Clock::now();
    for (ShotScene scene : {ShotScene::focusBefore, ShotScene::thresholdRules}) {
        const ShotFixtureData data = ShotFixtureData::make(scene, now);
        EXPECT_EQ(data.pressure,
                  (PressureSnapshot{PressureLevel::critical, Fixture::strainedReading()}));
        ASSERT_EQ(data.groups.size(), 6u);
        EXPECT_TRUE(std::none_of(data.groups.begin(), data.groups.end(),
                                 [](const AppGroup &g) { return g.isStopped; }));
        EXPECT_EQ(data.history, Fixture::history(false));
        EXPECT_FALSE(data.focusSession);
        EXPECT_FALSE(data.automaticGovernanceOn);
    }
    EXPECT_TRUE(ShotFixtureData::make(ShotScene::focusBefore, now).rules.empty());

    const ShotFixtureData rules = ShotFixtureData::make(ShotScene::thresholdRules, now);
    ASSERT_EQ(rules.rules.size(), 1u);
    const ThresholdRule &rule = rules.rules[0];
    EXPECT_EQ(rule.appKey, "/Applications/ChatGPT.app");
    EXPECT_EQ(rule.appName, "ChatGPT");
    EXPECT_EQ(rule.limitBytes, 6442450944u);
    EXPECT_EQ(rule.sustainedSeconds, 300.0);
    EXPECT_EQ(rule.action, RuleAction::suspend);
    EXPECT_TRUE(rule.isEnabled);
    EXPECT_GT(rule.limitBytes, rules.groups[0].current) << "the demo rule must never fire";
    EXPECT_NE(rule.id, ShotFixtureData::make(ShotScene::thresholdRules, now).rules[0].id);

    const ShotFixtureData after = ShotFixtureData::make(ShotScene::focusAfter, now);
    EXPECT_EQ(after.pressure,
              (PressureSnapshot{PressureLevel::normal, Fixture::relievedReading()}));
    EXPECT_EQ(after.history, Fixture::history(true));
    EXPECT_TRUE(after.rules.empty());
    ASSERT_TRUE(after.focusSession);
    const FocusSession &session = *after.focusSession;
    EXPECT_EQ(session.startedAt, now);
    EXPECT_TRUE(session.frozenPIDs.empty());
    EXPECT_EQ(session.frozenApps,
              (std::vector<std::string>{"ChatGPT", "Microsoft Edge", "Visual Studio Code", "Docker",
                                        "Brave Browser"}));
    // Each group's bytes are rounded down on their own before the sum.
    EXPECT_EQ(session.frozenFootprint, 9556302231u);
    EXPECT_EQ(session.before, Fixture::strainedReading());
    EXPECT_EQ(session.after, Fixture::relievedReading());
    const auto frozen = std::count_if(after.groups.begin(), after.groups.end(),
                                      [](const AppGroup &g) { return g.isStopped; });
    EXPECT_EQ(frozen, 5);
    EXPECT_FALSE(after.groups[1].isStopped) << "the application in front stays running";
}

TEST(ShotFixtures, ReadingsShareTheMachineAndDifferInUse) {
    const VMSnapshot strained = Fixture::strainedReading();
    const VMSnapshot relieved = Fixture::relievedReading();
    for (const VMSnapshot &vm : {strained, relieved}) {
        EXPECT_EQ(vm.pageSize, 16384u);
        EXPECT_EQ(vm.totalBytes, 17179869184u);
        EXPECT_EQ(vm.wiredPages, 209715u);
        EXPECT_EQ(vm.swapTotal, 8589934592u);
    }
    EXPECT_EQ(strained.freePages, 13107u);
    EXPECT_EQ(strained.swapUsed, 5690831667u);
    EXPECT_EQ(relieved.compressedPages, 288358u);
    EXPECT_GT(relieved.freeBytes(), strained.freeBytes());
}

TEST(MASShotFixtures, ScenesHaveTheirLevelMachineAppsAndHistory) {
    struct Row {
        MASShotScene scene;
        PressureLevel level;
        uint64_t totalBytes;
        uint64_t swapUsed;
        int apps;
        double from;
        double to;
    };
    const Row rows[] = {
        {MASShotScene::healthy, PressureLevel::normal, 17179869184, 0, 9, 0.38, 0.41},
        {MASShotScene::tightening, PressureLevel::warning, 17179869184, 0, 14, 0.55, 0.79},
        {MASShotScene::maxedOut, PressureLevel::critical, 17179869184, 2576980377, 17, 0.71, 0.96},
        {MASShotScene::swapping, PressureLevel::warning, 17179869184, 1395864371, 13, 0.62, 0.83},
        {MASShotScene::baseRam8GB, PressureLevel::normal, 8589934592, 0, 7, 0.52, 0.61},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(rawValue(row.scene)));
        const MASFixtureData data = MASFixtureData::make(row.scene);
        EXPECT_EQ(data.pressure.level, row.level);
        ASSERT_TRUE(data.pressure.vm);
        EXPECT_EQ(data.pressure.vm->pageSize, 16384u);
        EXPECT_EQ(data.pressure.vm->totalBytes, row.totalBytes);
        EXPECT_EQ(data.pressure.vm->swapUsed, row.swapUsed);
        EXPECT_EQ(data.pressure.vm->inactivePages, 0u);
        EXPECT_EQ(data.runningAppCount, row.apps);
        ASSERT_EQ(data.history.size(), 40u);
        EXPECT_DOUBLE_EQ(data.history.front(), row.from);
        EXPECT_DOUBLE_EQ(data.history.back(), row.to);
    }
    const VMSnapshot maxed = *MASFixtureData::make(MASShotScene::maxedOut).pressure.vm;
    EXPECT_EQ(maxed.freePages, 19660u);
    EXPECT_EQ(maxed.activePages, 602931u);
    EXPECT_EQ(maxed.wiredPages, 183500u);
    EXPECT_EQ(maxed.compressedPages, 203161u);
    EXPECT_EQ(maxed.externalPages, 39321u);
}

} // namespace
} // namespace quorvel
