#include "Signals/QuitSignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

int signalPipe[2] = {-1, -1};
// Every signal whose default action ends the process without a core dump: left
// at their default, they would end it with the applications it froze still stopped.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM};

extern "C" void writeSignalToPipe(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

extern "C" void doNothing(int) {}

} // namespace

QuitSignalWatcher::QuitSignalWatcher(QObject *parent)
    : QObject(parent) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1) emit quitRequested(byte);
    });
    struct sigaction action {};
    action.sa_handler = writeSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals) sigaction(signalNumber, &action, nullptr);
    // A write to a pipe or socket whose reader went away fails with EPIPE
    // instead of ending the run. Caught rather than ignored: an ignored signal
    // stays ignored in the applications Quorvel opens again.
    action.sa_handler = doNothing;
    sigaction(SIGPIPE, &action, nullptr);
}

QuitSignalWatcher::~QuitSignalWatcher() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int signalNumber : kSignals) sigaction(signalNumber, &action, nullptr);
}

} // namespace quorvel::platform
