#include "DemoLaunch.h"

#include <QByteArray>
#include <QtGlobal>

namespace quorvel {

ProPanelScreen openingScreen(ShotScene scene) {
    return scene == ShotScene::thresholdRules ? ProPanelScreen::rules : ProPanelScreen::normal;
}

DemoLaunch DemoLaunch::choose(std::optional<std::string_view> value) {
    DemoLaunch launch;
    if (!value) return launch;
    launch.scene = shotSceneFromRaw(*value);
    if (launch.scene) launch.firstScreen = openingScreen(*launch.scene);
    launch.runsDiagnostics = true;
    return launch;
}

DemoLaunch DemoLaunch::fromEnvironment() {
    if (!qEnvironmentVariableIsSet(kVariable)) return choose(std::nullopt);
    const QByteArray value = qgetenv(kVariable);
    return choose(std::string_view(value.constData(), static_cast<std::size_t>(value.size())));
}

} // namespace quorvel
