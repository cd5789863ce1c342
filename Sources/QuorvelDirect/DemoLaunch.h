#pragma once

#include <optional>
#include <string_view>

#include "Support/ShotFixtures.h"

namespace quorvel {

// What "QUORVEL_DEMO_SCENE" asks of a start with the panel.
struct DemoLaunch {
    static constexpr char kVariable[] = "QUORVEL_DEMO_SCENE";

    // The scene a demo model shows instead of the live one; none for a
    // value that names no scene exactly.
    std::optional<ShotScene> scene;
    // The panel opens on the threshold-rules screen.
    bool opensOnRules = false;
    // The diagnostic loop runs: whenever the variable is set at all.
    bool runsDiagnostics = false;

    // `value` is the variable's value, absent when it is not set.
    static DemoLaunch choose(std::optional<std::string_view> value);
    static DemoLaunch fromEnvironment();
};

} // namespace quorvel
