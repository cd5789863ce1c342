#include "QuorvelDirectApp.h"

#include <QCoreApplication>

#include <cstdlib>

#include "App/ProModel.h"
#include "Localization/L10n.h"
#include "Localization/LanguageChoice.h"
#include "Signals/QuitSignalWatcher.h"

namespace quorvel {

namespace {

// Chooses the language of the run before any thread exists (it stops the
// program when the string tables are missing) and hands it on to what the
// platform translates for us, such as system error texts.
void chooseLanguage() {
    const std::string language = LanguageChoice::gettextLanguage(L10n::shared().locale());
    ::setenv("LANGUAGE", language.c_str(), 1);
}

} // namespace

int runQuorvel(int argc, char **argv) {
    chooseLanguage();
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
