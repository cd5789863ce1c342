#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "InstanceLock.h"

namespace quorvel {

class ProModel;

// What both programs do first: a write past a file-size limit fails with
// EFBIG instead of ending the run, the language of the run is chosen and the
// options are read. `--print` and `--json` print their reading here; the
// exit code is set when the run ends here.
CommandLine beginProgram(int argc, char **argv);

void nameApplication();

namespace platform {
class QuitSignalWatcher;
}

// Quits the application on the signals that ask a program to end, from its
// making on.
class QuitOnSignals {
public:
    explicit QuitOnSignals(QCoreApplication &app);
    ~QuitOnSignals();
    QuitOnSignals(const QuitOnSignals &) = delete;
    QuitOnSignals &operator=(const QuitOnSignals &) = delete;

private:
    std::unique_ptr<platform::QuitSignalWatcher> watcher_;
};

// What a run that died left behind, and what keeps this run from leaving
// anything behind.
struct FrozenSafety {
    QString recordPath;
    // The applications a previous run left stopped, continued at this start.
    std::vector<std::string> resumed;
};

// Takes the one-per-user lock and continues whatever a run that died left
// stopped, before anything else. The exit code when the run cannot go on;
// where another run holds the lock, a start that would show the panel opens
// that run's panel instead and ends with 0.
std::optional<int> beginRun(int argc, char **argv, LaunchMode mode, InstanceLock &lock,
                            FrozenSafety &safety);

// Starts the guardian that continues what this run stops should it die. No
// thread may exist yet: it forks a single-threaded process.
void startGuardian(const FrozenSafety &safety);

// The live model, its governor keeping the list of what it stops; what keeps
// rules from acting is said once on standard error.
std::unique_ptr<ProModel> liveModel(const FrozenSafety &safety);

// `--headless`: the live model without a window, until asked to quit.
int runModelAlone(int argc, char **argv, const FrozenSafety &safety);

} // namespace quorvel
