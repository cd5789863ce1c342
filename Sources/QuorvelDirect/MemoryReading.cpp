#include "MemoryReading.h"

#include <memory>

#include "Apps/DesktopEntryResolver.h"
#include "Engine/AppGrouping.h"
#include "Engine/PressureMonitor.h"
#include "Engine/SamplingEngine.h"

namespace quorvel {

MemoryReading MemoryReading::takeNow() {
    MemoryReading reading;
    reading.takenAt = QDateTime::currentDateTimeUtc();
    const PressureMonitor::Dependencies pressure = PressureMonitor::liveDependencies();
    reading.pressure = {PressureMonitor::combine(PressureLevel::normal, pressure.readKernelLevel()),
                        pressure.readVM()};
    const SamplingEngine::Dependencies sampling =
        SamplingEngine::liveDependencies(std::make_shared<platform::DesktopEntryResolver>());
    AppGrouping::Caches caches;
    reading.groups = AppGrouping::fold(sampling.listProcesses(), *sampling.resolver, caches);
    return reading;
}

} // namespace quorvel
