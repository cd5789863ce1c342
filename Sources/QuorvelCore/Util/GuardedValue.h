#pragma once

#include <mutex>
#include <utility>

namespace quorvel {

// A value set on one thread and read, as a copy, on another: a producer's
// callback that its owner may replace while the producer runs.
template <typename T> class GuardedValue {
public:
    void set(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

} // namespace quorvel
