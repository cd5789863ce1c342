#include <gtest/gtest.h>

#include <QSignalSpy>

#include <set>
#include <string>
#include <vector>

#include "GovernorHarness.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using platform::InMemoryWorkspace;
using platform::ProcessSignal;
using platform::SampledProcess;
using testing::application;
using testing::GovernorHarness;

SampledProcess sampled(const RawProcess &process) {
    return {process.pid, process.startTime, process.name, process.path};
}

std::vector<InMemoryWorkspace::SignalCall> callsFor(const AppGroup &group, ProcessSignal signal,
                                                    const std::set<int32_t> &undelivered = {}) {
    std::vector<InMemoryWorkspace::SignalCall> calls;
    for (const RawProcess &process : group.processes)
        calls.push_back({sampled(process), signal, !undelivered.contains(process.pid)});
    return calls;
}

TEST(GovernorFreeze, StopsEveryProcessAsSampledAndRecordsTheOutcome) {
    GovernorHarness harness;
    harness.workspace->setUndeliverable({21});
    const AppGroup editor = application("Editor", "org.example.Editor", {20, 21, 22}, 300u << 20);

    EXPECT_TRUE(harness.governor->suspend(editor, false));
    EXPECT_EQ(harness.workspace->signalCalls(), callsFor(editor, ProcessSignal::stop, {21}));
    ASSERT_EQ(harness.governor->history().size(), 1u);
    const ActionRecord &entry = harness.latest();
    EXPECT_EQ(entry.action, GovernanceAction::suspend);
    EXPECT_EQ(entry.appName, "Editor");
    EXPECT_EQ(entry.detail, L10n::plural("governance.detail.froze", 3, Format::bytes(300u << 20)));
    EXPECT_TRUE(entry.success);
    EXPECT_EQ(entry.timestamp, harness.time);
}

TEST(GovernorFreeze, NothingDeliveredIsAFailureWithTheSameSentence) {
    GovernorHarness harness;
    harness.workspace->setUndeliverable({30, 31});
    const AppGroup gone = application("Gone", "org.example.Gone", {30, 31}, 10u << 20);
    EXPECT_FALSE(harness.governor->suspend(gone, true));
    EXPECT_EQ(harness.workspace->signalCalls().size(), 2u);
    EXPECT_FALSE(harness.latest().success);
    EXPECT_EQ(harness.latest().detail,
              L10n::t("governance.detail.automatic",
                      L10n::plural("governance.detail.froze", 2, Format::bytes(10u << 20))));

    const AppGroup empty = application("Empty", "org.example.Empty", {});
    EXPECT_FALSE(harness.governor->suspend(empty, false));
    EXPECT_EQ(harness.workspace->signalCalls().size(), 2u) << "no process, no signal";
    EXPECT_EQ(harness.governor->history().size(), 2u);
    EXPECT_EQ(harness.latest().detail,
              L10n::plural("governance.detail.froze", 0, Format::bytes(empty.current)));
}

TEST(GovernorFreeze, ARefusedFreezeSendsNothingAndRecordsTheReason) {
    GovernorHarness harness;
    harness.workspace->setFrontmost(platform::FrontmostApplication{"org.example.Editor", 20});
    const AppGroup editor = application("Editor", "org.example.Editor", {20});
    for (bool automatic : {false, true}) {
        EXPECT_FALSE(harness.governor->suspend(editor, automatic));
        const std::string blocked =
            L10n::t("governance.detail.blocked", L10n::t("governance.block.foreground"));
        EXPECT_EQ(harness.latest().detail,
                  automatic ? L10n::t("governance.detail.automatic", blocked) : blocked);
        EXPECT_EQ(harness.latest().action, GovernanceAction::suspend);
        EXPECT_FALSE(harness.latest().success);
    }
    EXPECT_TRUE(harness.workspace->signalCalls().empty());
    EXPECT_EQ(harness.governor->history().size(), 2u);
}

TEST(GovernorResume, ContinuesEveryProcessWithoutBlockCheck) {
    GovernorHarness harness;
    // Even the application in front may be resumed, and processes that were
    // never stopped count as resumed when the signal arrives.
    harness.workspace->setFrontmost(platform::FrontmostApplication{"org.example.Editor", 20});
    const AppGroup editor = application("Editor", "org.example.Editor", {20, 21});
    EXPECT_TRUE(harness.governor->resume(editor));
    EXPECT_EQ(harness.workspace->signalCalls(), callsFor(editor, ProcessSignal::resume));
    EXPECT_EQ(harness.latest().action, GovernanceAction::resume);
    EXPECT_EQ(harness.latest().detail, L10n::plural("governance.detail.resumed", 2));
    EXPECT_TRUE(harness.latest().success);

    harness.workspace->setUndeliverable({20, 21});
    EXPECT_FALSE(harness.governor->resume(editor));
    EXPECT_FALSE(harness.latest().success);
    EXPECT_EQ(harness.governor->history().size(), 2u);
}

TEST(GovernorHistory, NewestFirstCappedAtOneHundredAndPublishedOnEveryAppend) {
    GovernorHarness harness;
    QSignalSpy changes(harness.governor.get(), &ProcessGovernor::historyChanged);
    const auto at = GovernorHarness::Clock::time_point();
    for (int i = 0; i < 105; ++i) {
        harness.governor->record(ActionRecord::make(GovernanceAction::notify,
                                                    "App " + std::to_string(i), "Same.", true, at));
    }
    EXPECT_EQ(changes.count(), 105);
    const std::vector<ActionRecord> &history = harness.governor->history();
    ASSERT_EQ(history.size(), ProcessGovernor::kHistoryLimit);
    EXPECT_EQ(history.front().appName, "App 104");
    EXPECT_EQ(history.back().appName, "App 5");
    const auto published = changes.last().at(0).value<std::vector<ActionRecord>>();
    EXPECT_EQ(published, history);

    // An entry equal to the newest one is still published.
    harness.governor->record(history.front());
    EXPECT_EQ(changes.count(), 106);
    EXPECT_EQ(harness.governor->history().size(), ProcessGovernor::kHistoryLimit);
}

TEST(GovernorResumeOnQuit, ContinuesWhatItStoppedAndNotWhatWasResumedSince) {
    GovernorHarness harness;
    const AppGroup editor = application("Editor", "org.example.Editor", {20, 21});
    const AppGroup viewer = application("Viewer", "org.example.Viewer", {30});
    const AppGroup player = application("Player", "org.example.Player", {40});
    harness.workspace->setUndeliverable({21});
    harness.governor->suspend(editor, false);
    harness.governor->suspend(viewer, true);
    harness.governor->enterFocus({player});
    harness.governor->resume(viewer);
    harness.workspace->setUndeliverable({});

    const std::size_t before = harness.workspace->signalCalls().size();
    const std::size_t records = harness.governor->history().size();
    harness.governor->resumeEverythingFrozen();
    const std::vector<InMemoryWorkspace::SignalCall> calls(
        harness.workspace->signalCalls().begin() + static_cast<std::ptrdiff_t>(before),
        harness.workspace->signalCalls().end());
    const std::vector<InMemoryWorkspace::SignalCall> expected{
        {sampled(editor.processes[0]), ProcessSignal::resume, true},
        {sampled(player.processes[0]), ProcessSignal::resume, true},
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(harness.governor->history().size(), records);

    harness.governor->resumeEverythingFrozen();
    EXPECT_EQ(harness.workspace->signalCalls().size(), before + 2) << "each once";
}

} // namespace
} // namespace quorvel
