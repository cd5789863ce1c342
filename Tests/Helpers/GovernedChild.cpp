// An application for the governance tests to freeze, resume and restart. It
// takes on private memory, optionally starts helper processes of its own,
// says "ready" on stdout and sleeps until SIGTERM, which it passes on to its
// helpers before it exits cleanly.
//
//   GovernedChild [touch <MiB>] [helpers <n>] [as-nobody] [tethered] [become <program>]
//
// "tethered" ends it with the test that started it, even while stopped.
// "become" runs <program> in its place on SIGUSR1: the same pid, another
// process, as if the pid had been taken again.
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
volatile std::sig_atomic_t replacing = 0;

void onTerminate(int) {
    terminating = 1;
}
void onReplace(int) {
    replacing = 1;
}

// Sleeps until SIGTERM or SIGUSR1 arrives; both are blocked outside the
// wait, so neither can slip in between the check and the sleep.
void sleepUntilWoken() {
    sigset_t waiting;
    sigprocmask(SIG_SETMASK, nullptr, &waiting);
    sigdelset(&waiting, SIGTERM);
    sigdelset(&waiting, SIGUSR1);
    while (!terminating && !replacing) sigsuspend(&waiting);
}

} // namespace

int main(int argc, char **argv) {
    std::size_t bytes = 0;
    int helpers = 0;
    const char *successor = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "touch" && i + 1 < argc) {
            bytes = std::strtoull(argv[++i], nullptr, 10) << 20;
        } else if (argument == "helpers" && i + 1 < argc) {
            helpers = std::atoi(argv[++i]);
        } else if (argument == "as-nobody") {
            const uid_t nobody = 65534;
            if (setgid(nobody) != 0 || setuid(nobody) != 0) return 2;
        } else if (argument == "become" && i + 1 < argc) {
            successor = argv[++i];
        } else if (argument == "tethered") {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        } else {
            return 1;
        }
    }

    sigset_t wakers;
    sigemptyset(&wakers);
    sigaddset(&wakers, SIGTERM);
    sigaddset(&wakers, SIGUSR1);
    sigprocmask(SIG_BLOCK, &wakers, nullptr);
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = onReplace;
    sigaction(SIGUSR1, &action, nullptr);

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
            while (!terminating) sleepUntilWoken();
            _exit(0);
        }
        children.push_back(child);
    }

    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    while (!terminating) {
        sleepUntilWoken();
        if (replacing && successor) {
            sigprocmask(SIG_UNBLOCK, &wakers, nullptr);
            execl(successor, successor, static_cast<char *>(nullptr));
            return 4;
        }
        replacing = 0;
    }
    for (pid_t child : children) {
        kill(child, SIGCONT);
        kill(child, SIGTERM);
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);
    return memory.empty() ? 0 : memory[memory.size() / 2] - 1;
}
