#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/SamplingEngine.h"

namespace quorvel {
namespace {

// A listing whose one process grows by 100 bytes per sample.
struct FakeListing {
    std::atomic<int> calls{0};
    std::mutex mutex;
    QString threadName;
    bool offMainThread = true;

    SamplingEngine::Dependencies dependencies() {
        return {[this] {
                    const int call = ++calls;
                    std::lock_guard lock(mutex);
                    threadName = QThread::currentThread()->objectName();
                    offMainThread = offMainThread && QThread::currentThread() != qApp->thread();
                    return std::vector<RawProcess>{{7, 1, 1000, 3,
                                                    100u * static_cast<uint64_t>(call), "tool",
                                                    "/bin/tool", 5}};
                },
                std::make_shared<platform::InMemoryApplicationResolver>()};
    }
};

struct Deliveries {
    std::vector<std::vector<AppGroup>> received;
    bool allOnMainThread = true;

    void attach(SamplingEngine &engine) {
        engine.setOnUpdate([this](const std::vector<AppGroup> &groups) {
            allOnMainThread = allOnMainThread && QThread::currentThread() == qApp->thread();
            received.push_back(groups);
        });
    }
    bool awaitCount(std::size_t count) {
        return QTest::qWaitFor([&] { return received.size() >= count; }, 10000);
    }
};

TEST(SamplingEngine, SamplesAtOnceOnItsOwnThreadAndDeliversOnTheMainThread) {
    FakeListing listing;
    SamplingEngine engine(listing.dependencies());
    Deliveries deliveries;
    deliveries.attach(engine);
    EXPECT_EQ(engine.interval(), 2.0);
    engine.start(3600);
    EXPECT_EQ(engine.interval(), 3600.0);
    ASSERT_TRUE(deliveries.awaitCount(1));
    EXPECT_TRUE(deliveries.allOnMainThread);
    {
        std::lock_guard lock(listing.mutex);
        EXPECT_TRUE(listing.offMainThread);
        EXPECT_EQ(listing.threadName, "com.quorvel.sampling");
    }
    ASSERT_EQ(deliveries.received[0].size(), 1u);
    EXPECT_EQ(deliveries.received[0][0].key, "proc:tool");
    EXPECT_EQ(deliveries.received[0][0].current, 100u);
}

TEST(SamplingEngine, RepeatsAndKeepsPeaksAcrossSamples) {
    FakeListing listing;
    SamplingEngine engine(listing.dependencies());
    Deliveries deliveries;
    deliveries.attach(engine);
    engine.start(0.005);
    ASSERT_TRUE(deliveries.awaitCount(4));
    for (const auto &groups : deliveries.received) {
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(groups[0].peak, groups[0].current);
    }
    EXPECT_LT(deliveries.received[0][0].current, deliveries.received[3][0].current);
}

TEST(SamplingEngine, RescheduleSamplesAtOnceOnlyOnceStarted) {
    FakeListing listing;
    SamplingEngine engine(listing.dependencies());
    Deliveries deliveries;
    deliveries.attach(engine);

    engine.reschedule(5);
    EXPECT_EQ(engine.interval(), 5.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(listing.calls.load(), 0);

    engine.start(3600);
    ASSERT_TRUE(deliveries.awaitCount(1));
    engine.reschedule(1800);
    EXPECT_EQ(engine.interval(), 1800.0);
    ASSERT_TRUE(deliveries.awaitCount(2));
    engine.start(3600);
    ASSERT_TRUE(deliveries.awaitCount(3));
}

TEST(SamplingEngine, IgnoresIntervalsThatAreNotPositive) {
    FakeListing listing;
    SamplingEngine engine(listing.dependencies());
    for (double interval : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(interval);
        engine.start(interval);
        engine.reschedule(interval);
        EXPECT_EQ(engine.interval(), 2.0);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(listing.calls.load(), 0);
}

TEST(SamplingEngine, DeliversNothingAfterItIsGone) {
    FakeListing listing;
    Deliveries deliveries;
    auto engine = std::make_unique<SamplingEngine>(listing.dependencies());
    deliveries.attach(*engine);
    engine->start(0.001);
    ASSERT_TRUE(deliveries.awaitCount(3));
    engine.reset();
    const std::size_t delivered = deliveries.received.size();
    const int sampled = listing.calls.load();
    // Whatever was on its way is dropped with the engine.
    QTest::qWait(50);
    EXPECT_EQ(deliveries.received.size(), delivered);
    EXPECT_EQ(listing.calls.load(), sampled);
}

} // namespace
} // namespace quorvel
