#include "Model/AppGroup.h"

namespace quorvel {

std::vector<int32_t> AppGroup::pids() const {
    std::vector<int32_t> ids;
    ids.reserve(processes.size());
    for (const RawProcess &process : processes) ids.push_back(process.pid);
    return ids;
}

} // namespace quorvel
