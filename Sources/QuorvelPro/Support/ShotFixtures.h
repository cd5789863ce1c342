#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "Model/AppGroup.h"
#include "Model/GovernanceModels.h"
#include "Model/PressureModels.h"
#include "Model/ThresholdRule.h"

namespace quorvel {

// The fixed states the panel can be put into for screenshots.
enum class ShotScene { focusBefore, focusAfter, thresholdRules };

inline constexpr std::array<ShotScene, 3> kAllShotScenes{
    ShotScene::focusBefore, ShotScene::focusAfter, ShotScene::thresholdRules};

// "focusBefore", "focusAfter", "thresholdRules".
std::string_view rawValue(ShotScene scene);
// Exactly those names, letter case included; anything else is no scene.
std::optional<ShotScene> shotSceneFromRaw(std::string_view raw);

namespace Fixture {

// One application of the demo table; footprints in GiB.
struct App {
    std::string_view name;
    std::string_view path;
    std::string_view bundleID;
    double current = 0;
    double peak = 0;
    int procs = 0;
    bool isForeground = false;
};

// The six demo applications, largest first.
const std::array<App, 6> &apps();

// The group a sample would give for `app`, its footprint shared evenly (rounded
// down) by its processes, every one stopped when `frozen`.
AppGroup group(const App &app, bool frozen);

// A machine short of memory, and the same machine once focus mode freed some.
VMSnapshot strainedReading();
VMSnapshot relievedReading();

// Thirty used fractions rising from 0.72 to 0.99; when `dropping`, ten more
// falling back to 0.875.
std::vector<double> history(bool dropping);

} // namespace Fixture

// Everything a demo model shows for one scene.
struct ShotFixtureData {
    PressureSnapshot pressure;
    std::vector<AppGroup> groups;
    std::vector<double> history;
    std::optional<FocusSession> focusSession;
    std::vector<ThresholdRule> rules;
    bool automaticGovernanceOn = false;

    // `now` is when a scene's focus session started.
    static ShotFixtureData make(ShotScene scene, ActionRecord::Clock::time_point now);
};

} // namespace quorvel
