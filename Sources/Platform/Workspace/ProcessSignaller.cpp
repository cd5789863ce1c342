#include "Workspace/ProcessSignaller.h"

#include "procmem.h"

#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

// A pidfd, closed when the send is done with it. Called through syscall(2):
// the C library's declarations of these calls are not usable from C++.
class PidHandle {
public:
    explicit PidHandle(int32_t pid)
        : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)))
        , error_(fd_ < 0 ? errno : 0) {}
    ~PidHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    PidHandle(const PidHandle &) = delete;
    PidHandle &operator=(const PidHandle &) = delete;

    bool processGone() const { return error_ == ESRCH; }
    bool isOpen() const { return fd_ >= 0; }
    bool send(int signalNumber) const {
        return ::syscall(SYS_pidfd_send_signal, fd_, signalNumber, nullptr, 0) == 0;
    }

private:
    int fd_;
    int error_;
};

} // namespace

ProcessSignaller::ProcessSignaller(Inspector inspect)
    : inspect_(std::move(inspect)) {}

bool ProcessSignaller::sendIfAccepted(int32_t pid, int signalNumber, Acceptor accept,
                                      const void *context) {
    if (signalNumber <= 0 || pid <= 1 || pid == ::getpid()) return false;
    // Hold the process before looking at it: a signal through the handle
    // reaches the process inspected below or, if that one has gone since,
    // nobody, even when its pid is taken again in between.
    const PidHandle handle(pid);
    if (handle.processGone()) return false;
    uint32_t owner = 0;
    if (!accept(pid, context, &owner) || owner != ::getuid()) return false;
    // Kernels without pidfds leave only the small window of kill(2).
    if (!handle.isOpen()) return ::kill(pid, signalNumber) == 0;
    return handle.send(signalNumber);
}

bool ProcessSignaller::send(const SampledProcess &process, int signalNumber) const {
    struct Looking {
        const Inspector &inspect;
        const SampledProcess &process;
    } looking{inspect_, process};
    const Acceptor accept = [](int32_t pid, const void *context, uint32_t *owner) {
        const auto &[inspect, sampled] = *static_cast<const Looking *>(context);
        const std::optional<ListedProcess> current = inspect(pid);
        if (!current || !isSameProcess(sampled, *current)) return false;
        *owner = current->uid;
        return true;
    };
    return sendIfAccepted(process.pid, signalNumber, accept, &looking);
}

bool ProcessSignaller::continueIfStillStopped(int32_t pid, uint64_t startTime) {
    const Acceptor accept = [](int32_t target, const void *context, uint32_t *owner) {
        qv_proc_record record{};
        if (qv_proc_info(target, &record) != 0) return false;
        const uint64_t expected = *static_cast<const uint64_t *>(context);
        *owner = record.uid;
        return expected != 0 && record.start_time == expected &&
               record.status == QV_PROC_STATUS_STOPPED;
    };
    return sendIfAccepted(pid, SIGCONT, accept, &startTime);
}

int ProcessSignaller::signalNumber(ProcessSignal signal) {
    switch (signal) {
    case ProcessSignal::stop: return SIGSTOP;
    case ProcessSignal::resume: return SIGCONT;
    }
    return 0;
}

bool ProcessSignaller::isSameProcess(const SampledProcess &sampled, const ListedProcess &current) {
    return current.pid == sampled.pid &&
           (sampled.startTime == 0 || sampled.startTime == current.startTime) &&
           (sampled.name.empty() || sampled.name == current.name) &&
           (sampled.path.empty() || sampled.path == current.path);
}

} // namespace quorvel::platform
