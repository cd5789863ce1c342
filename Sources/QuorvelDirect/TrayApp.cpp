#include "QuorvelDirectApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>

#include <cstdio>
#include <memory>

#include "App/EndRun.h"
#include "App/MASModel.h"
#include "App/ProModel.h"
#include "App/StatusItemController.h"
#include "App/WidgetMap.h"
#include "CommandLine.h"
#include "DemoDiagnosticLoop.h"
#include "DemoLaunch.h"
#include "HeadlessRun.h"
#include "InstanceLock.h"
#include "PanelActivation.h"
#include "SceneRender.h"
#include "UI/MASRootView.h"
#include "UI/ProRootView.h"
#include "UI/Toolkit/Describable.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

// Qt needs one of these to open a window; a platform chosen by name (such as
// offscreen) brings its own.
bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Draws into memory, so it needs no desktop session and takes no lock.
int renderScene(int argc, char **argv, const CommandLine &options) {
    const QStringList scenes = SceneRender::sceneNames();
    if (!scenes.contains(options.renderScene)) {
        const std::string text =
            "quorvel: unknown scene \"" + options.renderScene.toStdString() +
            "\"; the scenes are: " + scenes.join(QStringLiteral(", ")).toStdString() + "\n";
        std::fputs(text.c_str(), stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nameApplication();
    SymbolImage::loadFont();
    const std::optional<QImage> image =
        SceneRender::render(options.renderScene, options.renderScale);
    if (!image || !image->save(options.renderOutput, "PNG")) {
        const std::string text =
            "quorvel: could not write " + options.renderOutput.toStdString() + "\n";
        std::fputs(text.c_str(), stderr);
        return 1;
    }
    return 0;
}

class TrayRun {
public:
    TrayRun(int &argc, char **argv)
        : app_(argc, argv) {
        nameApplication();
        // Our windows' app id on Wayland: compositors tell them by it, and so
        // Quorvel knows its own panel from the app the user was working in.
        QGuiApplication::setDesktopFileName(QStringLiteral("io.quorvel.Quorvel"));
        // The panel is hidden, not closed, between uses; only a quit ends the run.
        QApplication::setQuitOnLastWindowClosed(false);
        installAccessibility();
        SymbolImage::loadFont();
        if (const QString file = qEnvironmentVariable(WidgetMap::kVariable); !file.isEmpty())
            widgetMap_ = std::make_unique<WidgetMap>(file);
    }

    // The icon follows the model's symbol; without a tray, closing the
    // panel's window ends the run.
    template <typename Model> void follow(const Model &model, StatusItemController &status) {
        QObject::connect(&model, &Model::menuBarSymbolChanged, &status,
                         &StatusItemController::setSymbol);
        QObject::connect(&status, &StatusItemController::windowClosed, &app_, [] { endRun(); });
        activation_ = std::make_unique<PanelActivation>([&status] { status.openForKeyboard(); });
    }

    int exec() { return app_.exec(); }

private:
    QApplication app_;
    QuitOnSignals quit_{app_};
    std::unique_ptr<WidgetMap> widgetMap_;
    std::unique_ptr<PanelActivation> activation_;
};

int runWithPanel(int argc, char **argv, const FrozenSafety &safety) {
    TrayRun run(argc, argv);
    // "QUORVEL_DEMO_SCENE" puts a fixed scene in place of the live model.
    const DemoLaunch demo = DemoLaunch::fromEnvironment();
    const std::unique_ptr<ProModel> model =
        demo.scene ? std::make_unique<ProModel>(*demo.scene) : liveModel(safety);
    StatusItemController status(model->menuBarSymbol(), [&model, screen = demo.firstScreen] {
        return new ProRootView(*model, screen);
    });
    run.follow(*model, status);
    std::unique_ptr<DemoDiagnosticLoop> diagnostics;
    if (demo.runsDiagnostics) diagnostics = std::make_unique<DemoDiagnosticLoop>(status);
    return run.exec();
}

int runStoreEdition(int argc, char **argv) {
    TrayRun run(argc, argv);
    MASModel model;
    StatusItemController status(model.menuBarSymbol(), [&model] { return new MASRootView(model); });
    run.follow(model, status);
    // The review prompt counts the user's own openings and how long they look.
    status.onPanelOpen = [owner = QPointer<MASModel>(&model)] {
        if (owner) owner->reviewPrompt().panelDidOpen();
    };
    status.onPanelClose = [owner = QPointer<MASModel>(&model)] {
        if (owner) owner->reviewPrompt().panelDidClose();
    };
    return run.exec();
}

} // namespace

int runQuorvelWithPanel(int argc, char **argv) {
    const CommandLine options = beginProgram(argc, argv);
    if (options.exitCode >= 0) return options.exitCode;
    switch (options.mode) {
    case LaunchMode::render: return renderScene(argc, argv, options);
    case LaunchMode::print:
    case LaunchMode::json: // printed already
    case LaunchMode::headless:
    case LaunchMode::storeEdition:
    case LaunchMode::tray: break;
    }
    if (options.mode != LaunchMode::headless && !displayAvailable()) {
        std::fputs(
            "quorvel: the tray icon needs a desktop session (no DISPLAY or WAYLAND_DISPLAY).\n"
            "Use `quorvel --headless` to run the threshold rules without it, or\n"
            "`quorvel --print` to see memory once.\n",
            stderr);
        return 1;
    }
    InstanceLock lock;
    FrozenSafety safety;
    if (const std::optional<int> failed = beginRun(argc, argv, options.mode, lock, safety))
        return *failed;
    if (options.mode == LaunchMode::storeEdition) return runStoreEdition(argc, argv);
    // The store edition never stops anything, so it needs no guardian. No
    // thread exists yet: the guardian forks a single-threaded process.
    startGuardian(safety);
    if (options.mode == LaunchMode::headless) return runModelAlone(argc, argv, safety);
    return runWithPanel(argc, argv, safety);
}

} // namespace quorvel
