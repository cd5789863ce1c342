#include "Util/Notices.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace quorvel {

void noteOnce(std::string_view message) {
    static std::mutex mutex;
    static std::set<std::string, std::less<>> noted;
    const std::lock_guard lock(mutex);
    if (!noted.emplace(message).second) return;
    std::fprintf(stderr, "quorvel: %.*s\n", static_cast<int>(message.size()), message.data());
}

} // namespace quorvel
