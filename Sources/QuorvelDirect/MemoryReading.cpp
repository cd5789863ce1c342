#include "MemoryReading.h"

#include <chrono>
#include <memory>

#include "Apps/DesktopEntryResolver.h"
#include "Engine/AppGrouping.h"
#include "Engine/PressureMonitor.h"
#include "Engine/SamplingEngine.h"

namespace quorvel {
namespace {

constexpr std::chrono::seconds kIndexPatience{5};

} // namespace

MemoryReading MemoryReading::takeNow() {
    MemoryReading reading;
    reading.takenAt = QDateTime::currentDateTimeUtc();
    const PressureMonitor::Dependencies pressure = PressureMonitor::liveDependencies();
    reading.pressure = {PressureMonitor::combine(PressureLevel::normal, pressure.readKernelLevel()),
                        pressure.readVM()};
    auto resolver = platform::DesktopEntryResolver::shared();
    // Before its index every process would count as a loose program, and
    // this one sample has no later one to put that right.
    resolver->waitForFirstIndex(kIndexPatience);
    const SamplingEngine::Dependencies sampling = SamplingEngine::liveDependencies(resolver);
    AppGrouping::Caches caches;
    reading.groups = AppGrouping::fold(sampling.listProcesses(), *sampling.resolver, caches);
    return reading;
}

} // namespace quorvel
