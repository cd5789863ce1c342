// An application for the governance tests to freeze, resume and restart. It
// takes on private memory, optionally starts helper processes of its own,
// says "ready" on stdout and sleeps until SIGTERM, which it passes on to its
// helpers before it exits cleanly.
//
//   GovernedChild [touch <MiB>] [helpers <n>] [tethered]
//
// "tethered" ends it with the test that started it, even while stopped.
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t terminating = 0;

void onTerminate(int) {
    terminating = 1;
}

// Sleeps until SIGTERM arrives; it is blocked outside the wait, so it cannot
// slip in between the check and the sleep.
void sleepUntilTerminated() {
    sigset_t waiting;
    sigprocmask(SIG_SETMASK, nullptr, &waiting);
    sigdelset(&waiting, SIGTERM);
    while (!terminating) sigsuspend(&waiting);
}

} // namespace

int main(int argc, char **argv) {
    std::size_t bytes = 0;
    int helpers = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "touch" && i + 1 < argc) {
            bytes = std::strtoull(argv[++i], nullptr, 10) << 20;
        } else if (argument == "helpers" && i + 1 < argc) {
            helpers = std::atoi(argv[++i]);
        } else if (argument == "tethered") {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        } else {
            return 1;
        }
    }

    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    sigprocmask(SIG_BLOCK, &terminate, nullptr);
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigaction(SIGTERM, &action, nullptr);

    // Every page written, so all of it is resident or swapped.
    std::vector<char> memory(bytes, 1);

    const pid_t parent = getpid();
    std::vector<pid_t> children;
    for (int i = 0; i < helpers; ++i) {
        const pid_t child = fork();
        if (child < 0) return 3;
        if (child == 0) {
            // A helper ends with its application.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            sleepUntilTerminated();
            _exit(0);
        }
        children.push_back(child);
    }

    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    sleepUntilTerminated();
    for (pid_t child : children) {
        kill(child, SIGCONT);
        kill(child, SIGTERM);
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);
    return memory.empty() ? 0 : memory[memory.size() / 2] - 1;
}
