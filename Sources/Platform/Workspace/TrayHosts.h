#pragma once

#include <cstdint>
#include <vector>

namespace quorvel::platform {

// The processes that hold the desktop's tray, where this program's icon
// lives: freezing one would leave the user no way back to resume it.
// Called on the main thread only.
class TrayHosts {
public:
    virtual ~TrayHosts() = default;

    // Their pids now; empty when no tray is known.
    virtual std::vector<int32_t> pids() = 0;
};

} // namespace quorvel::platform
