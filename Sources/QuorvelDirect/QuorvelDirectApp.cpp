#include "QuorvelDirectApp.h"

#include <QCoreApplication>

#include "App/ProModel.h"
#include "Signals/QuitSignalWatcher.h"

namespace quorvel {

int runQuorvel(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));

    platform::QuitSignalWatcher quitWatcher;
    QObject::connect(&quitWatcher, &platform::QuitSignalWatcher::quitRequested, &app,
                     &QCoreApplication::quit);

    ProModel model;
    return app.exec();
}

} // namespace quorvel
