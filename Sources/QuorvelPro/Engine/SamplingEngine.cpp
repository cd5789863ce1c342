#include "Engine/SamplingEngine.h"

#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "Engine/AppGrouping.h"
#include "System/PerProcessMemory.h"

namespace quorvel {

namespace {

std::chrono::milliseconds periodOf(double seconds) {
    const double milliseconds = std::round(seconds * 1000.0);
    const double longest = std::numeric_limits<int>::max();
    return std::chrono::milliseconds(static_cast<int>(std::clamp(milliseconds, 1.0, longest)));
}

} // namespace

// Lives on the sampling thread; the caches and the timer are touched there
// only. It holds the engine by plain pointer: the engine joins the thread
// before it goes away, so a tick never finds it gone.
class SamplingEngine::Worker final : public QObject {
public:
    Worker(SamplingEngine *engine, Dependencies dependencies)
        : engine_(engine)
        , dependencies_(std::move(dependencies)) {}

    // (Re)arms the timer and samples at once.
    void run(uint64_t generation, std::chrono::milliseconds period) {
        generation_ = generation;
        if (!timer_) {
            timer_ = new QTimer(this);
            timer_->setTimerType(Qt::PreciseTimer);
            connect(timer_, &QTimer::timeout, this, [this] { sampleOnce(); });
        }
        timer_->start(period);
        sampleOnce();
    }

    std::chrono::milliseconds period() const {
        return timer_ ? timer_->intervalAsDuration() : std::chrono::milliseconds(0);
    }

    void end() {
        delete timer_;
        timer_ = nullptr;
    }

private:
    void sampleOnce() {
        std::vector<AppGroup> groups =
            AppGrouping::fold(dependencies_.listProcesses(), *dependencies_.resolver, caches_);
        engine_->deliver(std::move(groups), generation_);
        // A sample's listing is freed by now; hand its pages back rather
        // than keep them resident until the next one.
        ::malloc_trim(0);
    }

    SamplingEngine *engine_;
    Dependencies dependencies_;
    AppGrouping::Caches caches_;
    QTimer *timer_ = nullptr;
    uint64_t generation_ = 0;
};

SamplingEngine::Dependencies
SamplingEngine::liveDependencies(std::shared_ptr<platform::ApplicationResolver> resolver) {
    // Called on the sampler's thread only, one listing at a time.
    return {[listing = std::make_shared<PerProcessMemory::ProcessListing>()] {
                return listing->list(true);
            },
            std::move(resolver)};
}

SamplingEngine::SamplingEngine(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , worker_(new Worker(this, std::move(dependencies))) {
    thread_.setObjectName(QStringLiteral("com.quorvel.sampling"));
    worker_->moveToThread(&thread_);
}

SamplingEngine::~SamplingEngine() {
    ++generation_;
    if (thread_.isRunning()) {
        QMetaObject::invokeMethod(
            worker_, [worker = worker_] { worker->end(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    delete worker_;
}

void SamplingEngine::setOnUpdate(Update onUpdate) {
    onUpdate_.set(std::move(onUpdate));
}

bool SamplingEngine::setInterval(double interval) {
    if (!std::isfinite(interval) || interval <= 0) return false;
    interval_ = interval;
    return true;
}

void SamplingEngine::start(double interval) {
    if (!setInterval(interval)) return;
    started_ = true;
    thread_.start(QThread::LowPriority);
    runWorker(++generation_);
}

void SamplingEngine::reschedule(double interval) {
    if (!setInterval(interval) || !started_) return;
    runWorker(generation_);
}

std::chrono::milliseconds SamplingEngine::timerPeriod() const {
    if (!thread_.isRunning()) return std::chrono::milliseconds(0);
    std::chrono::milliseconds period(0);
    // Queued behind any pending restart of the timer, so it sees that one.
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, &period] { period = worker->period(); },
        Qt::BlockingQueuedConnection);
    return period;
}

void SamplingEngine::runWorker(uint64_t generation) {
    QMetaObject::invokeMethod(
        worker_,
        [worker = worker_, generation, period = periodOf(interval_)] {
            worker->run(generation, period);
        },
        Qt::QueuedConnection);
}

void SamplingEngine::deliver(std::vector<AppGroup> groups, uint64_t generation) {
    Update update = onUpdate_.get();
    // Queued to the engine's own thread; dropped by Qt if the engine is gone.
    QMetaObject::invokeMethod(
        this,
        [this, update = std::move(update), groups = std::move(groups), generation] {
            if (update && generation == generation_) update(groups);
        },
        Qt::QueuedConnection);
}

} // namespace quorvel
