#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Model/AppGroup.h"
#include "Model/RawProcess.h"
#include "Util/GuardedValue.h"

namespace quorvel {

// Samples the current user's processes on a thread of its own
// ("com.quorvel.sampling", low priority): at start, then every interval. Each
// sample's groups are delivered on the thread that owns the engine (the main
// thread). Sampling ends with the engine.
class SamplingEngine final : public QObject {
    Q_OBJECT
public:
    using Update = std::function<void(const std::vector<AppGroup> &)>;

    static constexpr double kDefaultInterval = 2.0;

    // What the engine reads; tests replace any of it. The resolver is used on
    // the sampling thread only and must not be null.
    struct Dependencies {
        std::function<std::vector<RawProcess>()> listProcesses;
        std::shared_ptr<platform::ApplicationResolver> resolver;
    };
    static Dependencies liveDependencies(std::shared_ptr<platform::ApplicationResolver> resolver);

    explicit SamplingEngine(Dependencies dependencies, QObject *parent = nullptr);
    ~SamplingEngine() override;

    // Read afresh at every sample.
    void setOnUpdate(Update onUpdate);
    // Samples at once and then every `interval` seconds, replacing an earlier
    // start. Intervals that are not positive and finite are ignored.
    void start(double interval);
    // Changes the interval; once started, samples at once and then every
    // `interval` seconds.
    void reschedule(double interval);
    double interval() const { return interval_; }
    // The period of the running timer as the sampling thread has it; zero
    // before the start.
    std::chrono::milliseconds timerPeriod() const;

private:
    class Worker;

    bool setInterval(double interval);
    void runWorker(uint64_t generation);
    void deliver(std::vector<AppGroup> groups, uint64_t generation);

    QThread thread_;
    Worker *worker_;
    GuardedValue<Update> onUpdate_;
    double interval_ = kDefaultInterval;
    bool started_ = false;
    // Bumped by start and by destruction, so deliveries of an earlier run are
    // dropped.
    std::atomic<uint64_t> generation_{0};
};

} // namespace quorvel
