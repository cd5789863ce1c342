#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "Model/PressureModels.h"
#include "Pressure/PressureEventSource.h"
#include "Util/GuardedValue.h"

namespace quorvel {

// Produces a PressureSnapshot at start, every period, and after every pressure
// event, all on a thread of its own ("com.quorvel.pressure"); each snapshot is
// delivered on the thread that owns the monitor (the main thread).
class PressureMonitor final : public QObject {
    Q_OBJECT
public:
    using Update = std::function<void(const PressureSnapshot &)>;

    // What the monitor reads; tests replace any of it.
    struct Dependencies {
        std::function<std::unique_ptr<platform::PressureEventSource>()> makeEventSource;
        std::function<std::optional<VMSnapshot>()> readVM;
        std::function<int()> readKernelLevel;
        std::chrono::milliseconds period{2000};
    };
    static Dependencies liveDependencies();

    explicit PressureMonitor(Dependencies dependencies = liveDependencies(),
                             QObject *parent = nullptr);
    ~PressureMonitor() override;

    // Read afresh at every poll.
    void setOnUpdate(Update onUpdate);
    void start();
    // Cancels the event source and the timer; nothing is delivered afterwards,
    // not even a snapshot already on its way.
    void stop();

    // The level a set of pressure events stands for: critical wins over warning.
    static PressureLevel levelForEvents(platform::PressureEvents events);
    // The kernel's current value can raise the last event's level, never lower it.
    static PressureLevel combine(PressureLevel lastEventLevel, int kernelValue);

private:
    class Worker;

    void deliver(const PressureSnapshot &snapshot, uint64_t generation);

    Dependencies dependencies_;
    QThread thread_;
    Worker *worker_;
    GuardedValue<Update> onUpdate_;
    // Bumped by start and stop, so deliveries of an earlier run are dropped.
    std::atomic<uint64_t> generation_{0};
};

} // namespace quorvel
