#include "QuorvelDirectApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

#include "App/EndRun.h"
#include "App/MASModel.h"
#include "App/ProModel.h"
#include "App/StatusItemController.h"
#include "App/WidgetMap.h"
#include "CommandLine.h"
#include "DemoDiagnosticLoop.h"
#include "DemoLaunch.h"
#include "Guardian/FreezeGuardian.h"
#include "Guardian/FrozenRecord.h"
#include "InstanceLock.h"
#include "JsonReadout.h"
#include "MemoryReading.h"
#include "PanelActivation.h"
#include "SceneRender.h"
#include "Signals/QuitSignalWatcher.h"
#include "TerminalReadout.h"
#include "UI/MASRootView.h"
#include "UI/ProRootView.h"
#include "UI/Toolkit/Describable.h"
#include "Util/L10n.h"
#include "Util/LanguageChoice.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

// Chooses the language of the run before any thread exists (it stops the
// program when the string tables are missing) and hands it on to what the
// platform translates for us, such as system error texts.
void chooseLanguage() {
    const std::string language = LanguageChoice::gettextLanguage(L10n::shared().locale());
    ::setenv("LANGUAGE", language.c_str(), 1);
}

// Qt needs one of these to open a window; a platform chosen by name (such as
// offscreen) brings its own.
bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
}

void quitOnSignals(platform::QuitSignalWatcher &watcher, QCoreApplication &app) {
    QObject::connect(&watcher, &platform::QuitSignalWatcher::quitRequested, &app, [] { endRun(); });
}

int printReading(int argc, char **argv, LaunchMode mode) {
    QCoreApplication app(argc, argv);
    nameApplication();
    const MemoryReading reading = MemoryReading::takeNow();
    const std::string text =
        mode == LaunchMode::json
            ? jsonReadout(reading)
            : terminalReadout(reading,
                              ::isatty(STDOUT_FILENO) && qEnvironmentVariableIsEmpty("NO_COLOR"));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
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

// What keeps rules from acting (stored rules that could not be read, a
// desktop where Quorvel cannot see the app in use until the user switches
// something on): said once per start here, and on the rules screen.
void reportRuleNotices(ProModel &model) {
    for (const std::string &notice :
         {model.thresholds().unreadableRulesNotice(), model.thresholds().shellExtensionNotice()}) {
        if (!notice.empty()) std::fputs(("quorvel: " + notice + "\n").c_str(), stderr);
    }
}

// What a run that died left behind, and what keeps this run from leaving
// anything behind.
struct FrozenSafety {
    QString recordPath = platform::FrozenRecord::defaultPath();
    // The applications a previous run left stopped, continued at this start.
    std::vector<std::string> resumed;
};

// The live model, its governor keeping the list of what it stops.
std::unique_ptr<ProModel> liveModel(const FrozenSafety &safety) {
    ProModel::Dependencies dependencies = ProModel::liveDependencies();
    dependencies.governor.ledger = std::make_shared<platform::FrozenLedger>(safety.recordPath);
    auto model = std::make_unique<ProModel>(std::move(dependencies));
    model->governor().recordResumedAfterUnexpectedEnd(safety.resumed);
    return model;
}

int runHeadless(int argc, char **argv, const FrozenSafety &safety) {
    QCoreApplication app(argc, argv);
    nameApplication();
    platform::QuitSignalWatcher quitWatcher;
    quitOnSignals(quitWatcher, app);
    const std::unique_ptr<ProModel> model = liveModel(safety);
    reportRuleNotices(*model);
    return app.exec();
}

// What the tray runs of both editions share: the application, the symbol
// font, quitting on signals and, on request, the map of named widgets.
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
        quitOnSignals(quitWatcher_, app_);
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
    platform::QuitSignalWatcher quitWatcher_;
    std::unique_ptr<WidgetMap> widgetMap_;
    std::unique_ptr<PanelActivation> activation_;
};

int runWithPanel(int argc, char **argv, const FrozenSafety &safety) {
    TrayRun run(argc, argv);
    // "QUORVEL_DEMO_SCENE" puts a fixed scene in place of the live model.
    const DemoLaunch demo = DemoLaunch::fromEnvironment();
    const std::unique_ptr<ProModel> model =
        demo.scene ? std::make_unique<ProModel>(*demo.scene) : liveModel(safety);
    reportRuleNotices(*model);
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

int runQuorvel(int argc, char **argv) {
    chooseLanguage();
    const CommandLine options = parseCommandLine(argc, argv);
    if (options.exitCode >= 0) return options.exitCode;
    switch (options.mode) {
    case LaunchMode::print:
    case LaunchMode::json: return printReading(argc, argv, options.mode);
    case LaunchMode::render: return renderScene(argc, argv, options);
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
    switch (lock.acquire()) {
    case InstanceLock::Outcome::acquired: break;
    case InstanceLock::Outcome::heldByAnother:
        if (options.mode != LaunchMode::headless) {
            QCoreApplication asking(argc, argv);
            if (PanelActivation::askRunning()) return 0;
        }
        std::fputs("quorvel: Quorvel is already running for this user.\n", stderr);
        return 1;
    case InstanceLock::Outcome::unavailable:
        std::fputs(("quorvel: " + lock.problem().toStdString() +
                    ".\nQuorvel needs this lock to run only once per user, and does not "
                    "start without it.\n")
                       .c_str(),
                   stderr);
        return 1;
    }
    // Whatever a run that died left stopped runs again before anything else,
    // whichever edition starts now.
    FrozenSafety safety;
    if (!safety.recordPath.isEmpty())
        safety.resumed = platform::FrozenRecord::recover(safety.recordPath);
    if (options.mode == LaunchMode::storeEdition) return runStoreEdition(argc, argv);
    // The store edition never stops anything, so it needs no guardian. No
    // thread exists yet: the guardian forks a single-threaded process.
    platform::FreezeGuardian::start(QFile::encodeName(safety.recordPath).constData());
    if (options.mode == LaunchMode::headless) return runHeadless(argc, argv, safety);
    return runWithPanel(argc, argv, safety);
}

} // namespace quorvel
