#pragma once

#include <QLockFile>

#include <memory>

namespace quorvel {

// The one-per-user lock of the resident modes, in the user's runtime
// directory. A lock left by a Quorvel that crashed is taken over.
class InstanceLock {
public:
    // False when another Quorvel of this user holds the lock.
    bool acquire();

private:
    std::unique_ptr<QLockFile> file_;
};

} // namespace quorvel
