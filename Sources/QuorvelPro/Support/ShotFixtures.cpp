#include "Support/ShotFixtures.h"

#include "Support/KnownHogs.h"

namespace quorvel {
namespace {

constexpr double kBytesPerGiB = 1073741824.0;

constexpr std::array<std::string_view, 3> kSceneNames{"focusBefore", "focusAfter",
                                                      "thresholdRules"};

uint64_t bytesOf(double gib) {
    return static_cast<uint64_t>(gib * kBytesPerGiB);
}

VMSnapshot demoMachine(uint64_t freePages, uint64_t activePages, uint64_t inactivePages,
                       uint64_t compressedPages, uint64_t swapUsed) {
    VMSnapshot vm;
    vm.pageSize = 16384;
    vm.totalBytes = 17179869184;
    vm.freePages = freePages;
    vm.activePages = activePages;
    vm.inactivePages = inactivePages;
    vm.speculativePages = 7864;
    vm.wiredPages = 209715;
    vm.compressedPages = compressedPages;
    vm.purgeablePages = 1310;
    vm.externalPages = 91750;
    vm.swapTotal = 8589934592;
    vm.swapUsed = swapUsed;
    return vm;
}

} // namespace

std::string_view rawValue(ShotScene scene) {
    return kSceneNames[static_cast<std::size_t>(scene)];
}

std::optional<ShotScene> shotSceneFromRaw(std::string_view raw) {
    for (ShotScene scene : kAllShotScenes) {
        if (rawValue(scene) == raw) return scene;
    }
    return std::nullopt;
}

namespace Fixture {

const std::array<App, 6> &apps() {
    static constexpr std::array<App, 6> table{{
        {"ChatGPT", "/Applications/ChatGPT.app", "com.openai.chat", 3.4, 4.1, 1, false},
        {"Google Chrome", "/Applications/Google Chrome.app", "com.google.Chrome", 3.1, 4.2, 34,
         true},
        {"Microsoft Edge", "/Applications/Microsoft Edge.app", "com.microsoft.edgemac", 1.8, 2.2, 9,
         false},
        {"Visual Studio Code", "/Applications/Visual Studio Code.app", "com.microsoft.VSCode", 1.6,
         1.9, 6, false},
        {"Docker", "/Applications/Docker.app", "com.docker.docker", 1.2, 1.5, 4, false},
        {"Brave Browser", "/Applications/Brave Browser.app", "com.brave.Browser", 0.9, 1.3, 12,
         false},
    }};
    return table;
}

AppGroup group(const App &app, bool frozen) {
    const uint64_t bytes = bytesOf(app.current);
    const int count = app.procs < 1 ? 1 : app.procs;

    AppGroup group;
    group.key = std::string(app.path);
    group.displayName = std::string(app.name);
    group.appPath = group.key;
    group.bundleID = std::string(app.bundleID);
    group.current = bytes;
    group.peak = bytesOf(app.peak);
    group.processes.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        RawProcess process;
        process.pid = 0;
        process.ppid = 1;
        process.uid = 0;
        process.status = frozen ? RawProcess::kStoppedStatus : 0;
        process.footprint = bytes / static_cast<uint64_t>(count);
        process.name = group.displayName;
        process.path = group.key + "/Contents/MacOS/" + group.displayName;
        group.processes.push_back(std::move(process));
    }
    group.hogLabel = KnownHogs::match(group.displayName, group.bundleID);
    group.isKnownHog = group.hogLabel.has_value();
    group.isStopped = frozen;
    return group;
}

VMSnapshot strainedReading() {
    return demoMachine(13107, 484966, 124518, 203161, 5690831667);
}

VMSnapshot relievedReading() {
    return demoMachine(131072, 334233, 104857, 288358, 5798205849);
}

std::vector<double> history(bool dropping) {
    std::vector<double> values;
    for (int i = 0; i < 30; ++i) values.push_back(0.72 + 0.27 * i / 29);
    if (dropping) {
        values.insert(values.end(),
                      {0.9785, 0.967, 0.9555, 0.944, 0.9325, 0.921, 0.9095, 0.898, 0.8865, 0.875});
    }
    return values;
}

} // namespace Fixture

ShotFixtureData ShotFixtureData::make(ShotScene scene, ActionRecord::Clock::time_point now) {
    ShotFixtureData data;
    data.pressure = {PressureLevel::critical, Fixture::strainedReading()};
    data.history = Fixture::history(false);
    if (scene == ShotScene::thresholdRules) {
        // Above ChatGPT's 3.4 GiB, so the rule never fires in the demo.
        ThresholdRule rule;
        rule.id = Uuid::random();
        rule.appKey = "/Applications/ChatGPT.app";
        rule.appName = "ChatGPT";
        rule.limitBytes = 6442450944;
        rule.sustainedSeconds = 300.0;
        rule.action = RuleAction::suspend;
        rule.isEnabled = true;
        data.rules.push_back(std::move(rule));
    }
    if (scene != ShotScene::focusAfter) {
        for (const Fixture::App &app : Fixture::apps())
            data.groups.push_back(Fixture::group(app, false));
        return data;
    }

    // Focus mode froze everything but the application in front.
    FocusSession session;
    session.startedAt = now;
    session.before = Fixture::strainedReading();
    session.after = Fixture::relievedReading();
    for (const Fixture::App &app : Fixture::apps()) {
        const bool frozen = !app.isForeground;
        data.groups.push_back(Fixture::group(app, frozen));
        if (!frozen) continue;
        session.frozenApps.emplace_back(app.name);
        session.frozenFootprint += data.groups.back().current;
    }
    data.pressure = {PressureLevel::normal, Fixture::relievedReading()};
    data.history = Fixture::history(true);
    data.focusSession = std::move(session);
    return data;
}

} // namespace quorvel
