#include "QuorvelDirectApp.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstring>

#include "App/ProModel.h"
#include "App/StatusItemController.h"
#include "Signals/QuitSignalWatcher.h"
#include "UI/ProRootView.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

bool hasArgument(int argc, char **argv, const char *argument) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], argument) == 0) return true;
    }
    return false;
}

// Qt needs one of these to open a window; the offscreen and other chosen
// platforms bring their own.
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
    return app.exec();
}

} // namespace

int runQuorvel(int argc, char **argv) {
    if (hasArgument(argc, argv, "--headless") || !displayAvailable()) return runHeadless(argc, argv);
    return runWithPanel(argc, argv);
}

} // namespace quorvel
