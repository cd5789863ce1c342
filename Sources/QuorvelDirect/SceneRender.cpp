#include "SceneRender.h"

#include <memory>

#include "App/MASModel.h"
#include "App/ProModel.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Defaults/InMemoryDefaultsStore.h"
#include "DemoLaunch.h"
#include "UI/MASRootView.h"
#include "UI/ProRootView.h"
#include "UI/Toolkit/WidgetSnapshot.h"
#include "Workspace/InMemoryWorkspace.h"

namespace quorvel::SceneRender {
namespace {

// A demo model touches nothing of this machine's: no desktop, no settings,
// no notifications. Its clock only stamps the focus session's start.
ProModel::Dependencies inertParts() {
    return {{std::make_shared<platform::InMemoryWorkspace>(),
             [] { return std::optional<VMSnapshot>(); }, &ProcessGovernor::Clock::now},
            {[] { return std::vector<RawProcess>(); },
             std::make_shared<platform::InMemoryApplicationResolver>()},
            PressureMonitor::liveDependencies(),
            std::make_shared<platform::InMemoryDefaultsStore>(),
            nullptr};
}

QImage renderPro(ShotScene scene, int scale) {
    ProModel model(scene, inertParts());
    ProRootView view(model, openingScreen(scene));
    return widgetSnapshot(view, scale);
}

QImage renderMAS(MASShotScene scene, int scale) {
    MASModel model(scene, {PressureMonitor::liveDependencies(),
                           {},
                           std::make_shared<platform::InMemoryDefaultsStore>(),
                           ReviewPrompt::systemClock,
                           {}});
    MASRootView view(model);
    return widgetSnapshot(view, scale);
}

} // namespace

QStringList sceneNames() {
    QStringList names;
    for (ShotScene scene : kAllShotScenes) names.push_back(QString::fromUtf8(rawValue(scene)));
    for (MASShotScene scene : kAllMASShotScenes)
        names.push_back(QString::fromUtf8(rawValue(scene)));
    return names;
}

std::optional<QImage> render(const QString &name, int scale) {
    const std::string raw = name.toStdString();
    if (const std::optional<ShotScene> scene = shotSceneFromRaw(raw))
        return renderPro(*scene, scale);
    if (const std::optional<MASShotScene> scene = masShotSceneFromRaw(raw))
        return renderMAS(*scene, scale);
    return std::nullopt;
}

} // namespace quorvel::SceneRender
