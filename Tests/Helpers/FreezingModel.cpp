// Freezes the process whose pid it is given through a live model, says
// "frozen" on stdout and runs until a quit signal ends it. It
// leaves without unwinding, so the model's own end cannot resume what it
// froze: only the application's quit notice can.
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

#include "App/EndRun.h"
#include "App/ProModel.h"
#include "Signals/QuitSignalWatcher.h"
#include "System/PerProcessMemory.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    quorvel::platform::QuitSignalWatcher quitWatcher;
    QObject::connect(&quitWatcher, &quorvel::platform::QuitSignalWatcher::quitRequested, &app,
                     [] { quorvel::endRun(); });
    quorvel::ProModel model;

    const int32_t pid = std::atoi(argv[1]);
    quorvel::AppGroup group;
    group.key = "/tmp/quorvel-test/Frozen.desktop";
    group.appPath = group.key;
    group.displayName = "Frozen";
    for (const quorvel::RawProcess &process : quorvel::PerProcessMemory::listProcesses(true)) {
        if (process.pid == pid) group.processes.push_back(process);
    }
    const bool frozen = model.governor().suspend(group, false);
    std::puts(frozen ? "frozen" : "refused");
    std::fflush(stdout);
    if (!frozen) return 1;
    const int code = app.exec();
    std::_Exit(code);
}
