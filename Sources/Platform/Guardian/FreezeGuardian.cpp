#include "Guardian/FreezeGuardian.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "Workspace/ProcessSignaller.h"

namespace quorvel::platform::FreezeGuardian {
namespace {

// Quorvel's end of the channel; -1 without a guardian.
int channel = -1;
uint64_t lastSent = 0;

// Copied before the fork: the guardian allocates nothing.
char recordFile[4096];

constexpr int kGuardianEnd = 3;

int threadCount() {
    DIR *tasks = ::opendir("/proc/self/task");
    if (!tasks) return -1;
    int count = 0;
    while (const dirent *entry = ::readdir(tasks)) {
        if (entry->d_name[0] != '.') ++count;
    }
    ::closedir(tasks);
    return count;
}

// Leaves the guardian with its end of the channel and /dev/null for the
// standard streams: nothing Quorvel held open (the instance lock, a pipe
// someone reads to its end) stays open because of it.
void keepOnlyChannel(int end) {
    if (end != kGuardianEnd) {
        ::dup2(end, kGuardianEnd);
        ::close(end);
    }
    const int null = ::open("/dev/null", O_RDWR);
    for (int stream = 0; stream < 3; ++stream) {
        if (null >= 0 && null != stream) ::dup2(null, stream);
    }
    if (::syscall(SYS_close_range, kGuardianEnd + 1, ~0U, 0) != 0) {
        const long limit = ::sysconf(_SC_OPEN_MAX);
        for (long fd = kGuardianEnd + 1; fd < (limit > 0 ? limit : 1024); ++fd)
            ::close(static_cast<int>(fd));
    }
}

struct Frozen {
    int32_t pid;
    uint64_t startTime;
};

// Fixed storage: the guardian allocates nothing once it runs.
Frozen frozen[kCapacity];
int frozenCount = 0;
// False once a message was lost or the list overflowed: the record file
// then knows more than the guardian and must stay.
bool heardAll = true;

void add(const Message &message) {
    for (int i = 0; i < frozenCount; ++i) {
        if (frozen[i].pid == message.pid) {
            frozen[i].startTime = message.startTime;
            return;
        }
    }
    if (frozenCount < kCapacity)
        frozen[frozenCount++] = {message.pid, message.startTime};
    else
        heardAll = false;
}

void remove(const Message &message) {
    for (int i = 0; i < frozenCount; ++i) {
        if (frozen[i].pid == message.pid) {
            frozen[i] = frozen[--frozenCount];
            return;
        }
    }
}

[[noreturn]] void guard(int end) {
    keepOnlyChannel(end);
    // A new session: the signals a terminal or a session sends to the
    // group Quorvel was started in do not reach it.
    ::setsid();
    for (const int ignored : {SIGHUP, SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGPIPE})
        ::signal(ignored, SIG_IGN);
    // A forked child has no parent-death signal: it outlives Quorvel.
    ::prctl(PR_SET_NAME, "quorvel-guard");
    uint64_t expected = 1;
    for (;;) {
        Message message{};
        const ssize_t got = ::recv(kGuardianEnd, &message, sizeof message, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got == static_cast<ssize_t>(sizeof message)) {
            if (message.op == Op::goodbye) ::_exit(0);
            if (message.sequence != expected) heardAll = false;
            expected = message.sequence + 1;
            if (message.op == Op::add && message.pid > 1) add(message);
            if (message.op == Op::remove) remove(message);
            continue;
        }
        if (got > 0) continue; // not one of ours
        break;                 // Quorvel has gone without a goodbye
    }
    for (int i = 0; i < frozenCount; ++i)
        ProcessSignaller::continueIfStillStopped(frozen[i].pid, frozen[i].startTime);
    if (heardAll && recordFile[0] != '\0') ::unlink(recordFile);
    ::_exit(0);
}

} // namespace

bool start(const char *recordPath) {
    if (channel >= 0) return true;
    if (threadCount() != 1) return false;
    const std::size_t length = recordPath ? std::strlen(recordPath) : 0;
    if (recordPath && length < sizeof recordFile) std::memcpy(recordFile, recordPath, length + 1);
    int ends[2];
    // Record boundaries kept, and the guardian sees the end of Quorvel's
    // end the moment the kernel closes it, however Quorvel ends.
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    if (pid == 0) {
        ::close(ends[0]);
        guard(ends[1]);
    }
    ::close(ends[1]);
    channel = ends[0];
    return true;
}

void tell(Op op, int32_t pid, uint64_t startTime) {
    if (channel < 0) return;
    // Counted even when the send fails, so the guardian sees the gap.
    const Message message{op, pid, startTime, ++lastSent};
    ::send(channel, &message, sizeof message, MSG_DONTWAIT | MSG_NOSIGNAL);
}

} // namespace quorvel::platform::FreezeGuardian
