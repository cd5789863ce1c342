#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <string>
#include <vector>

#include "GovernorHarness.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using platform::ProcessSignal;
using testing::application;
using testing::GovernorHarness;

VMSnapshot reading(uint64_t freePages) {
    VMSnapshot snapshot;
    snapshot.pageSize = 16384;
    snapshot.totalBytes = 16ull << 30;
    snapshot.freePages = freePages;
    return snapshot;
}

std::vector<int32_t> resumedPids(const GovernorHarness &harness) {
    std::vector<int32_t> pids;
    for (const auto &call : harness.workspace->signalCalls()) {
        if (call.signal == ProcessSignal::resume) pids.push_back(call.process.pid);
    }
    return pids;
}

TEST(FocusMode, FreezesTheTargetsItMayAndTakesBothReadings) {
    GovernorHarness harness;
    harness.readings = {reading(1000), reading(1010)};
    harness.workspace->setFrontmost(platform::FrontmostApplication{"org.example.Front", 50});
    harness.workspace->setUndeliverable({31, 40});
    QSignalSpy sessions(harness.governor.get(), &ProcessGovernor::focusSessionChanged);

    const std::vector<AppGroup> targets{
        application("Front", "org.example.Front", {50}, 1u << 30),
        application("Chat", "org.example.Chat", {30, 31}, 700u << 20),
        application("Stuck", "org.example.Stuck", {40}, 900u << 20),
        application("Mail", "org.example.Mail", {60}, 300u << 20),
    };
    harness.governor->enterFocus(targets);

    ASSERT_EQ(sessions.count(), 1);
    ASSERT_TRUE(harness.governor->focusSession());
    const FocusSession &session = *harness.governor->focusSession();
    EXPECT_EQ(session.frozenPIDs, (std::vector<int32_t>{30, 60}));
    EXPECT_EQ(session.frozenApps, (std::vector<std::string>{"Chat", "Mail"}));
    EXPECT_EQ(session.frozenFootprint, (700u << 20) + (300u << 20));
    EXPECT_EQ(session.before, reading(1000));
    EXPECT_EQ(harness.signalsAtReading, std::vector<std::size_t>{0}) << "read before stopping";
    EXPECT_EQ(session.after, std::nullopt);
    EXPECT_EQ(session.startedAt, harness.time - 1s) << "the record is made after it";

    ASSERT_EQ(harness.governor->history().size(), 1u);
    EXPECT_EQ(harness.latest().action, GovernanceAction::focusEnter);
    EXPECT_EQ(harness.latest().appName, "Chat, Mail");
    EXPECT_EQ(harness.latest().detail,
              L10n::plural("governance.detail.focusFroze", 2, Format::bytes(1000u << 20)));
    EXPECT_TRUE(harness.latest().success);

    ASSERT_TRUE(QTest::qWaitFor([&] { return sessions.count() == 2; }, 10000));
    EXPECT_EQ(harness.governor->focusSession()->after, reading(1010));
    EXPECT_EQ(harness.governor->focusSession()->freeChange(), 163840);

    harness.governor->exitFocus();
    EXPECT_EQ(resumedPids(harness), (std::vector<int32_t>{30, 60}));
    EXPECT_EQ(harness.governor->focusSession(), std::nullopt);
    EXPECT_EQ(sessions.count(), 3);
    EXPECT_EQ(harness.latest().action, GovernanceAction::focusExit);
    EXPECT_EQ(harness.latest().appName, "Chat, Mail");
    EXPECT_EQ(harness.latest().detail, L10n::plural("governance.detail.focusResumed", 2));
    EXPECT_TRUE(harness.latest().success);
    EXPECT_EQ(harness.governor->history().size(), 2u);
}

TEST(FocusMode, AnEmptySessionIsStillASessionWithItsRecords) {
    GovernorHarness harness;
    harness.governor->enterFocus({});
    ASSERT_TRUE(harness.governor->focusSession());
    EXPECT_TRUE(harness.governor->focusSession()->frozenPIDs.empty());
    EXPECT_EQ(harness.governor->focusSession()->before, std::nullopt) << "the reading failed";
    EXPECT_EQ(harness.latest().action, GovernanceAction::focusEnter);
    EXPECT_EQ(harness.latest().appName, "");
    EXPECT_EQ(harness.latest().detail,
              L10n::plural("governance.detail.focusFroze", 0, Format::bytes(0)));
    EXPECT_FALSE(harness.latest().success);

    harness.governor->exitFocus();
    EXPECT_EQ(harness.latest().action, GovernanceAction::focusExit);
    EXPECT_EQ(harness.latest().appName, "");
    EXPECT_TRUE(harness.latest().success);
    EXPECT_TRUE(harness.workspace->signalCalls().empty());

    harness.governor->exitFocus();
    EXPECT_EQ(harness.governor->history().size(), 2u) << "no session, nothing to leave";
}

TEST(FocusMode, ALateAfterReadingTouchesNeitherNoSessionNorALaterOne) {
    GovernorHarness harness(1ms, 100ms);
    harness.readings = {reading(1), reading(2), reading(3)};
    QSignalSpy sessions(harness.governor.get(), &ProcessGovernor::focusSessionChanged);
    const AppGroup chat = application("Chat", "org.example.Chat", {30});

    harness.governor->enterFocus({chat});
    harness.governor->exitFocus();
    QTest::qWait(40);
    harness.governor->enterFocus({chat});
    EXPECT_EQ(harness.governor->focusSession()->before, reading(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.governor->focusSession()->after.has_value(); },
                                10000));
    QTest::qWait(200);
    EXPECT_EQ(harness.readingCount, 3) << "the first session's reading was never taken";
    EXPECT_EQ(harness.governor->focusSession()->after, reading(3));
    EXPECT_EQ(sessions.count(), 4);
}

TEST(FocusMode, LeavingResumesOnlyWhatTheSessionStoppedAndStillHolds) {
    GovernorHarness harness;
    const AppGroup chat = application("Chat", "org.example.Chat", {30, 31});
    const AppGroup mail = application("Mail", "org.example.Mail", {60});
    harness.governor->enterFocus({chat, mail});
    // The user resumed Mail from the list in between; it is not resumed again.
    harness.governor->resume(mail);
    const std::size_t before = resumedPids(harness).size();
    harness.governor->exitFocus();
    const std::vector<int32_t> resumed = resumedPids(harness);
    EXPECT_EQ(
        std::vector<int32_t>(resumed.begin() + static_cast<std::ptrdiff_t>(before), resumed.end()),
        (std::vector<int32_t>{30, 31}));
    // Resumed as they were stopped: same start time, name and path.
    EXPECT_EQ(harness.workspace->signalCalls().back().process,
              (platform::SampledProcess{31, chat.processes[1].startTime, "Chat", "/usr/bin/Chat"}));
    EXPECT_EQ(harness.latest().detail, L10n::plural("governance.detail.focusResumed", 2));
}

TEST(FocusMode, EnteringAgainWhileASessionRunsIsIgnored) {
    GovernorHarness harness;
    harness.governor->enterFocus({application("Chat", "org.example.Chat", {30})});
    const FocusSession session = *harness.governor->focusSession();
    harness.governor->enterFocus({application("Mail", "org.example.Mail", {60})});
    EXPECT_EQ(harness.governor->focusSession()->frozenPIDs, session.frozenPIDs);
    EXPECT_EQ(harness.governor->history().size(), 1u);
    EXPECT_EQ(harness.workspace->signalCalls().size(), 1u);
}

} // namespace
} // namespace quorvel
