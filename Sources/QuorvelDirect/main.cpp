#include "QuorvelDirectApp.h"

#include <csignal>

namespace {

void ignoreFileSizeSignal(int) {}

} // namespace

int main(int argc, char **argv) {
    // Past a file-size limit a write then fails with EFBIG like any failed
    // write, instead of ending the run. Caught rather than ignored, so the
    // applications that Quorvel starts again get the default back at exec.
    struct sigaction action {};
    action.sa_handler = ignoreFileSizeSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
    return quorvel::runQuorvel(argc, argv);
}
