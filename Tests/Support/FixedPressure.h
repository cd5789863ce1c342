#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "Engine/PressureMonitor.h"

namespace quorvel::test {

// An event source that never fires.
class SilentSource final : public platform::PressureEventSource {
public:
    void start(Handler) override {}
    void cancel() override {}
};

// A monitor that reads `vm` and a calm kernel, polling rarely.
inline PressureMonitor::Dependencies fixedReading(std::optional<VMSnapshot> vm) {
    return {[] { return std::make_unique<SilentSource>(); }, [vm] { return vm; }, [] { return 1; },
            std::chrono::hours(1)};
}

} // namespace quorvel::test
