#pragma once

#include <QString>

namespace quorvel {

// The one-per-user lock of the resident modes: a kernel lock (flock) on
// "quorvel.lock" in the user's runtime directory. The kernel drops it when
// the process ends however it ends, so nothing a crash leaves in the file,
// nor the file's contents at all, can keep a later start out.
class InstanceLock {
public:
    enum class Outcome {
        acquired,
        heldByAnother, // another Quorvel of this user runs
        unavailable,   // no lock could be made; `problem()` says why
    };

    InstanceLock() = default;
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;
    ~InstanceLock();

    Outcome acquire();

    // A sentence for standard error after `unavailable`.
    const QString &problem() const { return problem_; }

private:
    int fd_ = -1;
    QString problem_;
};

} // namespace quorvel
