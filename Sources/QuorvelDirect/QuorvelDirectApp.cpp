#include "QuorvelDirectApp.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "App/ProModel.h"
#include "App/StatusItemController.h"
#include "App/WidgetMap.h"
#include "Signals/QuitSignalWatcher.h"
#include "UI/ProRootView.h"
#include "Util/L10n.h"
#include "Util/LanguageChoice.h"
#include "Util/Notices.h"
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

bool hasArgument(int argc, char **argv, const char *argument) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], argument) == 0) return true;
    }
    return false;
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
    QObject::connect(&watcher, &platform::QuitSignalWatcher::quitRequested, &app,
                     &QCoreApplication::quit);
}

int runHeadless(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    nameApplication();
    platform::QuitSignalWatcher quitWatcher;
    quitOnSignals(quitWatcher, app);
    ProModel model;
    return app.exec();
}

int runWithPanel(int argc, char **argv) {
    QApplication app(argc, argv);
    nameApplication();
    // The panel is hidden, not closed, between uses; only a quit ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
    SymbolImage::loadFont();
    platform::QuitSignalWatcher quitWatcher;
    quitOnSignals(quitWatcher, app);

    ProModel model;
    StatusItemController status(model.menuBarSymbol(), [&model] { return new ProRootView(model); });
    QObject::connect(&model, &ProModel::menuBarSymbolChanged, &status,
                     &StatusItemController::setSymbol);
    QObject::connect(&status, &StatusItemController::windowClosed, &app, &QCoreApplication::quit);
    std::unique_ptr<WidgetMap> widgetMap;
    if (const QString file = qEnvironmentVariable(WidgetMap::kVariable); !file.isEmpty())
        widgetMap = std::make_unique<WidgetMap>(file);
    return app.exec();
}

} // namespace

int runQuorvel(int argc, char **argv) {
    chooseLanguage();
    if (hasArgument(argc, argv, "--headless")) return runHeadless(argc, argv);
    if (!displayAvailable()) {
        noteOnce("no display to show the tray icon on; running without it");
        return runHeadless(argc, argv);
    }
    return runWithPanel(argc, argv);
}

} // namespace quorvel
