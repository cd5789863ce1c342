#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "Model/PressureModels.h"

namespace quorvel {

// The fixed states the store edition's panel can be put into for screenshots.
enum class MASShotScene { healthy, tightening, maxedOut, swapping, baseRam8GB };

inline constexpr std::array<MASShotScene, 5> kAllMASShotScenes{
    MASShotScene::healthy, MASShotScene::tightening, MASShotScene::maxedOut, MASShotScene::swapping,
    MASShotScene::baseRam8GB};

// "healthy", "tightening", "maxedOut", "swapping", "baseRam8GB".
std::string_view rawValue(MASShotScene scene);
// Exactly those names, letter case included; anything else is no scene.
std::optional<MASShotScene> masShotSceneFromRaw(std::string_view raw);

// Everything a store-edition demo model shows for one scene.
struct MASFixtureData {
    PressureSnapshot pressure;
    int runningAppCount = 0;
    std::vector<double> history; // forty used fractions

    static MASFixtureData make(MASShotScene scene);
};

} // namespace quorvel
