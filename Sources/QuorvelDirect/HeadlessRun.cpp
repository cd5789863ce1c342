#include "HeadlessRun.h"

#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "App/EndRun.h"
#include "App/ProModel.h"
#include "Guardian/FreezeGuardian.h"
#include "Guardian/FrozenRecord.h"
#include "JsonReadout.h"
#include "MemoryReading.h"
#include "PanelActivation.h"
#include "Signals/QuitSignalWatcher.h"
#include "TerminalReadout.h"
#include "Util/L10n.h"
#include "Util/LanguageChoice.h"

namespace quorvel {
namespace {

void ignoreFileSizeSignal(int) {}

// What keeps rules from acting (stored rules that could not be read, a
// desktop where Quorvel cannot see the app in use until the user switches
// something on): said once per start here, and on the rules screen.
void reportRuleNotices(ProModel &model) {
    for (const std::string &notice :
         {model.thresholds().unreadableRulesNotice(), model.thresholds().shellExtensionNotice()}) {
        if (!notice.empty()) std::fputs(("quorvel: " + notice + "\n").c_str(), stderr);
    }
}

// `--print` and `--json`: one reading on standard output.
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

} // namespace

CommandLine beginProgram(int argc, char **argv) {
    // Caught rather than ignored, so the applications that Quorvel starts
    // again get the default back at exec.
    struct sigaction action {};
    action.sa_handler = ignoreFileSizeSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
    // Chosen before any thread exists (it stops the program when the string
    // tables are missing) and handed on to what the platform translates for
    // us, such as system error texts.
    const std::string language = LanguageChoice::gettextLanguage(L10n::shared().locale());
    ::setenv("LANGUAGE", language.c_str(), 1);
    CommandLine options = parseCommandLine(argc, argv);
    if (options.exitCode < 0 &&
        (options.mode == LaunchMode::print || options.mode == LaunchMode::json))
        options.exitCode = printReading(argc, argv, options.mode);
    return options;
}

void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
}

QuitOnSignals::QuitOnSignals(QCoreApplication &app)
    : watcher_(std::make_unique<platform::QuitSignalWatcher>()) {
    QObject::connect(watcher_.get(), &platform::QuitSignalWatcher::quitRequested, &app,
                     [] { endRun(); });
}

QuitOnSignals::~QuitOnSignals() = default;

std::optional<int> beginRun(int argc, char **argv, LaunchMode mode, InstanceLock &lock,
                            FrozenSafety &safety) {
    switch (lock.acquire()) {
    case InstanceLock::Outcome::acquired: break;
    case InstanceLock::Outcome::heldByAnother:
        if (mode != LaunchMode::headless) {
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
    safety.recordPath = platform::FrozenRecord::defaultPath();
    if (!safety.recordPath.isEmpty())
        safety.resumed = platform::FrozenRecord::recover(safety.recordPath);
    return std::nullopt;
}

void startGuardian(const FrozenSafety &safety) {
    platform::FreezeGuardian::start(QFile::encodeName(safety.recordPath).constData());
}

std::unique_ptr<ProModel> liveModel(const FrozenSafety &safety) {
    ProModel::Dependencies dependencies = ProModel::liveDependencies();
    dependencies.governor.ledger = std::make_shared<platform::FrozenLedger>(safety.recordPath);
    auto model = std::make_unique<ProModel>(std::move(dependencies));
    model->governor().recordResumedAfterUnexpectedEnd(safety.resumed);
    reportRuleNotices(*model);
    return model;
}

int runModelAlone(int argc, char **argv, const FrozenSafety &safety) {
    QCoreApplication app(argc, argv);
    nameApplication();
    const QuitOnSignals quit(app);
    const std::unique_ptr<ProModel> model = liveModel(safety);
    return app.exec();
}

} // namespace quorvel
