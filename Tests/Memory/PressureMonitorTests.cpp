#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <unistd.h>
#include <vector>

#include "Engine/PressureMonitor.h"
#include "Pressure/PsiPressureEventSource.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using platform::PressureEvents;

// Stands in for the kernel's notifications: fire() runs the handler on the
// thread the source was started on, as a real source does.
class FakeEventSource final : public platform::PressureEventSource {
public:
    explicit FakeEventSource(std::atomic<FakeEventSource *> &slot)
        : slot_(slot) {}
    ~FakeEventSource() override { slot_ = nullptr; }

    void start(Handler handler) override {
        handler_ = std::move(handler);
        context_ = std::make_unique<QObject>();
        slot_ = this;
    }
    void cancel() override { handler_ = nullptr; }

    void fire(PressureEvents events) {
        QMetaObject::invokeMethod(
            context_.get(),
            [this, events] {
                if (handler_) handler_(events);
            },
            Qt::QueuedConnection);
    }

private:
    std::atomic<FakeEventSource *> &slot_;
    Handler handler_;
    std::unique_ptr<QObject> context_;
};

struct Harness {
    std::atomic<FakeEventSource *> source{nullptr};
    std::atomic<int> kernelValue{1};
    std::vector<PressureSnapshot> delivered;
    bool allOnMainThread = true;

    PressureMonitor::Dependencies dependencies(std::chrono::milliseconds period) {
        return {
            [this] { return std::make_unique<FakeEventSource>(source); },
            [] {
                return std::optional<VMSnapshot>(VMSnapshot{4096, 8192, 1});
            },
            [this] { return kernelValue.load(); },
            period,
        };
    }

    void attach(PressureMonitor &monitor) {
        monitor.setOnUpdate([this](const PressureSnapshot &snapshot) {
            allOnMainThread = allOnMainThread && QThread::currentThread() == qApp->thread();
            delivered.push_back(snapshot);
        });
    }

    // Waits until a snapshot of `level` arrives after everything seen so far.
    bool awaitLevel(PressureLevel level) {
        const std::size_t seen = delivered.size();
        return QTest::qWaitFor(
            [&] {
                for (std::size_t i = seen; i < delivered.size(); ++i)
                    if (delivered[i].level == level) return true;
                return false;
            },
            10000);
    }
};

TEST(PressureMonitorRules, CombinesTheLastEventWithTheKernelValue) {
    using L = PressureLevel;
    struct Case {
        L lastEvent;
        int kernel;
        L expected;
    };
    const Case cases[] = {
        {L::normal, 1, L::normal},   {L::warning, 1, L::warning},  {L::critical, 1, L::critical},
        {L::normal, -1, L::normal},  {L::warning, -1, L::warning}, {L::critical, 7, L::critical},
        {L::normal, 2, L::warning},  {L::warning, 2, L::warning},  {L::critical, 2, L::critical},
        {L::normal, 4, L::critical}, {L::warning, 4, L::critical}, {L::critical, 4, L::critical},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.lastEvent) << " + " << c.kernel);
        EXPECT_EQ(PressureMonitor::combine(c.lastEvent, c.kernel), c.expected);
    }
    using namespace platform;
    EXPECT_EQ(PressureMonitor::levelForEvents(pressureEventNormal), L::normal);
    EXPECT_EQ(PressureMonitor::levelForEvents(0), L::normal);
    EXPECT_EQ(PressureMonitor::levelForEvents(pressureEventWarning), L::warning);
    EXPECT_EQ(PressureMonitor::levelForEvents(pressureEventWarning | pressureEventCritical),
              L::critical);
}

TEST(PressureMonitor, DeliversAtOnceOnTheMainThread) {
    Harness harness;
    PressureMonitor monitor(harness.dependencies(1h));
    harness.attach(monitor);
    monitor.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.delivered.empty(); }, 10000));
    EXPECT_TRUE(harness.allOnMainThread);
    EXPECT_EQ(harness.delivered.front().level, PressureLevel::normal);
    ASSERT_TRUE(harness.delivered.front().vm);
    EXPECT_EQ(harness.delivered.front().vm->totalBytes, 8192u);
}

TEST(PressureMonitor, FollowsEventsAndTheKernelValue) {
    Harness harness;
    PressureMonitor monitor(harness.dependencies(10ms));
    harness.attach(monitor);
    monitor.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.source.load() != nullptr; }, 10000));
    FakeEventSource *source = harness.source;

    source->fire(platform::pressureEventWarning);
    ASSERT_TRUE(harness.awaitLevel(PressureLevel::warning));
    // Polls with a calm kernel keep the warning until an event says normal.
    const std::size_t afterWarning = harness.delivered.size();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return harness.delivered.size() >= afterWarning + 5; }, 10000));
    for (std::size_t i = afterWarning; i < harness.delivered.size(); ++i)
        EXPECT_EQ(harness.delivered[i].level, PressureLevel::warning);

    source->fire(platform::pressureEventNormal);
    ASSERT_TRUE(harness.awaitLevel(PressureLevel::normal));
    harness.kernelValue = 4;
    ASSERT_TRUE(harness.awaitLevel(PressureLevel::critical));
    harness.kernelValue = 2;
    ASSERT_TRUE(harness.awaitLevel(PressureLevel::warning));
    source->fire(platform::pressureEventWarning | platform::pressureEventCritical);
    ASSERT_TRUE(harness.awaitLevel(PressureLevel::critical));
    EXPECT_TRUE(harness.allOnMainThread);
}

TEST(PressureMonitor, DeliversNothingAfterStopOrRelease) {
    Harness harness;
    auto monitor = std::make_unique<PressureMonitor>(harness.dependencies(5ms));
    harness.attach(*monitor);
    monitor->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.delivered.size() >= 3; }, 10000));
    monitor->stop();
    EXPECT_EQ(harness.source.load(), nullptr);
    std::size_t count = harness.delivered.size();
    QTest::qWait(100);
    EXPECT_EQ(harness.delivered.size(), count);

    monitor->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.delivered.size() > count; }, 10000));
    monitor.reset();
    count = harness.delivered.size();
    QTest::qWait(100);
    EXPECT_EQ(harness.delivered.size(), count);
}

TEST(PsiPressureEventSource, ReportsEveryChangeOfClassification) {
    std::vector<int32_t> readings = {1, 2, 2, -1, 2, 1, 4, 4, 1};
    std::size_t next = 0;
    std::vector<PressureEvents> events;
    platform::PsiPressureEventSource source(
        [&] { return next < readings.size() ? readings[next++] : 1; },
        QStringLiteral("/nonexistent/pressure"), 1ms);
    source.start([&](PressureEvents fired) { events.push_back(fired); });
    EXPECT_FALSE(source.isTriggerArmed());
    ASSERT_TRUE(QTest::qWaitFor([&] { return next >= readings.size(); }, 10000));
    source.cancel();
    using namespace platform;
    EXPECT_EQ(events, (std::vector<PressureEvents>{pressureEventWarning, pressureEventNormal,
                                                   pressureEventCritical, pressureEventNormal}));
}

TEST(PsiPressureEventSource, ArmsTheKernelTriggerWhereAllowed) {
    platform::PsiPressureEventSource source;
    source.start([](PressureEvents) {});
    if (::access("/proc/pressure/memory", W_OK) == 0) {
        EXPECT_TRUE(source.isTriggerArmed());
    }
    source.cancel();
    EXPECT_FALSE(source.isTriggerArmed());
}

TEST(PressureMonitor, ReadsTheRealSystem) {
    PressureMonitor monitor;
    std::vector<PressureSnapshot> delivered;
    monitor.setOnUpdate([&](const PressureSnapshot &s) { delivered.push_back(s); });
    monitor.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.empty(); }, 10000));
    ASSERT_TRUE(delivered.front().vm);
    EXPECT_GT(delivered.front().vm->totalBytes, 0u);
    monitor.stop();
}

} // namespace
} // namespace quorvel
