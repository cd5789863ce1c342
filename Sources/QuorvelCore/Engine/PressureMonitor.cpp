#include "Engine/PressureMonitor.h"

#include <QTimer>

#include "Pressure/PsiPressureEventSource.h"
#include "System/SystemMemory.h"

namespace quorvel {

// Lives on the monitor's thread; everything it owns is touched there only.
// It holds the monitor by plain pointer: the monitor joins the thread before
// it goes away, so the worker never outlives it while running.
class PressureMonitor::Worker final : public QObject {
public:
    explicit Worker(PressureMonitor *monitor)
        : monitor_(monitor) {}

    void begin(uint64_t generation) {
        generation_ = generation;
        source_ = monitor_->dependencies_.makeEventSource();
        source_->start([this](platform::PressureEvents events) {
            lastEventLevel_ = levelForEvents(events);
            publish();
        });
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(monitor_->dependencies_.period);
        connect(timer_, &QTimer::timeout, this, [this] { publish(); });
        timer_->start();
        publish();
    }

    void end() {
        if (source_) source_->cancel();
        source_.reset();
        delete timer_;
        timer_ = nullptr;
    }

private:
    void publish() {
        const auto &dependencies = monitor_->dependencies_;
        PressureSnapshot snapshot{combine(lastEventLevel_, dependencies.readKernelLevel()),
                                  dependencies.readVM()};
        monitor_->deliver(snapshot, generation_);
    }

    PressureMonitor *monitor_;
    std::unique_ptr<platform::PressureEventSource> source_;
    QTimer *timer_ = nullptr;
    PressureLevel lastEventLevel_ = PressureLevel::normal;
    uint64_t generation_ = 0;
};

PressureMonitor::Dependencies PressureMonitor::liveDependencies() {
    return {
        [] { return std::make_unique<platform::PsiPressureEventSource>(); },
        [] { return SystemMemory::vmSnapshot(); },
        [] { return SystemMemory::pressureLevelSysctl(); },
        std::chrono::milliseconds(2000),
    };
}

PressureMonitor::PressureMonitor(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , dependencies_(std::move(dependencies))
    , worker_(new Worker(this)) {
    thread_.setObjectName(QStringLiteral("com.quorvel.pressure"));
    worker_->moveToThread(&thread_);
}

PressureMonitor::~PressureMonitor() {
    stop();
    delete worker_;
}

void PressureMonitor::setOnUpdate(Update onUpdate) {
    onUpdate_.set(std::move(onUpdate));
}

void PressureMonitor::start() {
    const uint64_t generation = ++generation_;
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, generation] { worker->begin(generation); },
        Qt::QueuedConnection);
}

void PressureMonitor::stop() {
    ++generation_;
    if (!thread_.isRunning()) return;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->end(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void PressureMonitor::deliver(const PressureSnapshot &snapshot, uint64_t generation) {
    Update update = onUpdate_.get();
    // Queued to the monitor's own thread; dropped by Qt if the monitor is gone.
    QMetaObject::invokeMethod(
        this,
        [this, update = std::move(update), snapshot, generation] {
            if (update && generation == generation_) update(snapshot);
        },
        Qt::QueuedConnection);
}

PressureLevel PressureMonitor::levelForEvents(platform::PressureEvents events) {
    if (events & platform::pressureEventCritical) return PressureLevel::critical;
    if (events & platform::pressureEventWarning) return PressureLevel::warning;
    return PressureLevel::normal;
}

PressureLevel PressureMonitor::combine(PressureLevel lastEventLevel, int kernelValue) {
    if (kernelValue == 4) return PressureLevel::critical;
    if (kernelValue == 2) {
        return lastEventLevel == PressureLevel::critical ? PressureLevel::critical
                                                         : PressureLevel::warning;
    }
    return lastEventLevel;
}

} // namespace quorvel
