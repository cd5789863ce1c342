#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <vector>

#include "Engine/PressureMonitor.h"
#include "Pressure/PsiPressureEventSource.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using L = PressureLevel;
using platform::PsiPressureEventSource;

// A monitor whose event source is the real PSI source reading `psiLevel`
// instead of /proc, and whose kernel value is `kernelValue`.
struct Harness {
    std::atomic<int> psiLevel{1}, kernelValue{1};
    std::vector<PressureSnapshot> delivered;
    bool allOnMainThread = true;
    std::unique_ptr<PressureMonitor> monitor = std::make_unique<PressureMonitor>(
        PressureMonitor::Dependencies{[this] {
                                          return std::make_unique<PsiPressureEventSource>(
                                              [this] { return psiLevel.load(); },
                                              QStringLiteral("/nonexistent"), 1ms);
                                      },
                                      [] {
                                          return std::optional(VMSnapshot{4096, 8192, 1});
                                      },
                                      [this] { return kernelValue.load(); }, 10ms});

    Harness() {
        monitor->setOnUpdate([this](const PressureSnapshot &snapshot) {
            allOnMainThread = allOnMainThread && QThread::currentThread() == qApp->thread();
            delivered.push_back(snapshot);
        });
    }
    // Waits for `count` more snapshots, the last of them at `level`.
    bool await(L level, std::size_t count = 1) {
        const std::size_t seen = delivered.size();
        return QTest::qWaitFor(
            [&] { return delivered.size() >= seen + count && delivered.back().level == level; },
            10000);
    }
};

// The kernel value raises the last event's level, never lowers it. Snapshots
// still on their way when the monitor goes are dropped.
TEST(PressureMonitor, FollowsEventsAndTheKernelValueOnTheMainThreadUntilReleased) {
    Harness harness;
    harness.monitor->start();
    ASSERT_TRUE(harness.await(L::normal));
    ASSERT_TRUE(harness.delivered.front().vm);
    EXPECT_EQ(harness.delivered.front().vm->totalBytes, 8192u);

    harness.psiLevel = 2;
    ASSERT_TRUE(harness.await(L::warning));
    ASSERT_TRUE(harness.await(L::warning, 5)) << "polls with a calm kernel keep the warning";
    harness.psiLevel = 1;
    ASSERT_TRUE(harness.await(L::normal));
    harness.kernelValue = 4;
    ASSERT_TRUE(harness.await(L::critical));
    harness.kernelValue = 2;
    ASSERT_TRUE(harness.await(L::warning));
    harness.psiLevel = 4;
    ASSERT_TRUE(harness.await(L::critical));
    harness.psiLevel = -1; // an unreadable reading changes nothing
    ASSERT_TRUE(harness.await(L::critical, 3)) << "the kernel's warning lowered a critical event";
    EXPECT_TRUE(harness.allOnMainThread);
    harness.monitor.reset();
    const std::size_t count = harness.delivered.size();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(harness.delivered.size(), count);
}

} // namespace
} // namespace quorvel
