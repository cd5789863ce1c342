#pragma once

#include <optional>
#include <string_view>

#include "Support/ShotFixtures.h"
#include "UI/PanelMode.h"

namespace quorvel {

// The screen the panel of `scene` opens on.
ProPanelScreen openingScreen(ShotScene scene);

// What "QUORVEL_DEMO_SCENE" asks of a start with the panel.
struct DemoLaunch {
    static constexpr char kVariable[] = "QUORVEL_DEMO_SCENE";

    // The scene a demo model shows instead of the live one; none for a
    // value that names no scene exactly.
    std::optional<ShotScene> scene;
    // The rules screen for the threshold-rules scene, else the normal one.
    ProPanelScreen firstScreen = ProPanelScreen::normal;
    // The diagnostic loop runs: whenever the variable is set at all.
    bool runsDiagnostics = false;

    // `value` is the variable's value, absent when it is not set.
    static DemoLaunch choose(std::optional<std::string_view> value);
    static DemoLaunch fromEnvironment();
};

} // namespace quorvel
