#include <gtest/gtest.h>

#include <QTest>

#include <optional>
#include <string>
#include <vector>

#include "GovernorHarness.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using platform::RunningApplication;
using testing::application;
using testing::GovernorHarness;

// What one restart reported through its completion.
struct Outcome {
    std::vector<bool> results;

    ProcessGovernor::RestartCompletion completion() {
        return [this](bool success) { results.push_back(success); };
    }
    bool await() {
        return QTest::qWaitFor([&] { return !results.empty(); }, 20000);
    }
};

const AppGroup editor = application("Editor", "org.example.Editor", {20, 21}, 512u << 20);
const std::vector<RunningApplication> editorInstances{{20, 5020}};

TEST(GovernorRestart, QuitsWaitsAndReopensInTheBackground) {
    GovernorHarness harness;
    harness.workspace->setRunning("org.example.Editor", editorInstances);
    Outcome outcome;
    harness.governor->restart(editor, false, outcome.completion());
    EXPECT_TRUE(outcome.results.empty()) << "the reopen completes later";
    ASSERT_TRUE(outcome.await());
    EXPECT_EQ(outcome.results, std::vector<bool>{true});
    EXPECT_EQ(harness.workspace->quitRequests(), editorInstances);
    EXPECT_EQ(harness.workspace->openedPaths(), std::vector<std::string>{*editor.appPath});
    ASSERT_EQ(harness.governor->history().size(), 1u);
    EXPECT_EQ(harness.latest().action, GovernanceAction::restart);
    EXPECT_EQ(harness.latest().appName, "Editor");
    // The footprint handed in, from before the restart.
    EXPECT_EQ(harness.latest().detail,
              L10n::t("governance.detail.reopened", Format::bytes(512u << 20)));
    EXPECT_TRUE(harness.latest().success);
    EXPECT_TRUE(harness.workspace->signalCalls().empty());
}

TEST(GovernorRestart, AnApplicationThatNeverQuitsIsReopenedAfterThirtyPauses) {
    GovernorHarness harness;
    harness.workspace->setRunning("org.example.Editor", editorInstances);
    harness.workspace->setQuitsWhenAsked(false);
    Outcome outcome;
    harness.governor->restart(editor, true, outcome.completion());
    ASSERT_TRUE(outcome.await());
    EXPECT_EQ(outcome.results, std::vector<bool>{true});
    // One look before asking, then one before each of the thirty pauses.
    EXPECT_EQ(harness.workspace->runningLookups(), 1 + ProcessGovernor::kRestartPauseLimit);
    EXPECT_EQ(harness.workspace->openedPaths().size(), 1u);
    EXPECT_EQ(harness.latest().detail,
              L10n::t("governance.detail.automatic",
                      L10n::t("governance.detail.reopened", Format::bytes(512u << 20))));
}

TEST(GovernorRestart, AFailedReopenRecordsTheSystemsDescription) {
    GovernorHarness harness;
    harness.workspace->setRunning("org.example.Editor", editorInstances);
    harness.workspace->setOpenResult("No such file or directory");
    Outcome outcome;
    harness.governor->restart(editor, false, outcome.completion());
    ASSERT_TRUE(outcome.await());
    EXPECT_EQ(outcome.results, std::vector<bool>{false});
    EXPECT_EQ(harness.latest().detail,
              L10n::t("governance.detail.reopenFailed", "No such file or directory"));
    EXPECT_FALSE(harness.latest().success);
    EXPECT_EQ(harness.governor->history().size(), 1u);
}

TEST(GovernorRestart, RefusalsAreRecordedAndReportedAtOnce) {
    AppGroup noIdentifier = editor;
    noIdentifier.bundleID = std::nullopt;
    AppGroup noPath = editor;
    noPath.appPath = std::nullopt;
    const std::string notRunning = L10n::t("governance.detail.noRunningInstance");
    struct Case {
        const char *what;
        AppGroup group;
        bool inFront;
        std::string detail;
    };
    const Case cases[] = {
        {"in front", editor, true,
         L10n::t("governance.detail.blocked", L10n::t("governance.block.foreground"))},
        {"without a path", noPath, false,
         L10n::t("governance.detail.blocked", L10n::t("governance.block.notAnApp"))},
        {"without an identifier", noIdentifier, false,
         L10n::t("governance.detail.missingBundleInfo")},
        {"not running", editor, false, notRunning},
    };
    for (const Case &c : cases) {
        for (bool automatic : {false, true}) {
            GovernorHarness harness;
            if (c.inFront) {
                harness.workspace->setFrontmost(platform::FrontmostApplication{"x", 21});
            }
            Outcome outcome;
            harness.governor->restart(c.group, automatic, outcome.completion());
            EXPECT_EQ(outcome.results, std::vector<bool>{false}) << c.what;
            ASSERT_EQ(harness.governor->history().size(), 1u) << c.what;
            EXPECT_EQ(harness.latest().detail,
                      automatic ? L10n::t("governance.detail.automatic", c.detail) : c.detail)
                << c.what;
            EXPECT_FALSE(harness.latest().success);
            EXPECT_TRUE(harness.workspace->quitRequests().empty()) << c.what;
            EXPECT_TRUE(harness.workspace->openedPaths().empty()) << c.what;
        }
    }
}

TEST(GovernorRestart, OtherActionsRunWhileARestartWaits) {
    GovernorHarness harness(std::chrono::milliseconds(20));
    harness.workspace->setRunning("org.example.Editor", editorInstances);
    harness.workspace->setQuitsWhenAsked(false);
    Outcome first;
    Outcome second;
    harness.governor->restart(editor, false, first.completion());
    harness.governor->restart(editor, true, second.completion());
    harness.governor->resume(editor);
    EXPECT_EQ(harness.latest().action, GovernanceAction::resume);
    ASSERT_TRUE(first.await() && second.await());
    EXPECT_EQ(harness.governor->history().size(), 3u);
    EXPECT_EQ(harness.workspace->openedPaths().size(), 2u);
}

TEST(GovernorRestart, AGovernorGoneMidRestartIsLeftAlone) {
    {
        GovernorHarness harness(std::chrono::milliseconds(50));
        harness.workspace->setRunning("org.example.Editor", editorInstances);
        harness.workspace->setQuitsWhenAsked(false);
        Outcome outcome;
        harness.governor->restart(editor, false, outcome.completion());
        QTest::qWait(120);
        harness.governor.reset();
        const int lookups = harness.workspace->runningLookups();
        QTest::qWait(200);
        EXPECT_EQ(harness.workspace->runningLookups(), lookups) << "no pause outlives it";
        EXPECT_TRUE(outcome.results.empty());
        EXPECT_TRUE(harness.workspace->openedPaths().empty());
    }
    {
        GovernorHarness harness;
        harness.workspace->setRunning("org.example.Editor", editorInstances);
        Outcome outcome;
        harness.governor->restart(editor, false, outcome.completion());
        ASSERT_EQ(harness.workspace->openedPaths().size(), 1u) << "the open is pending";
        harness.governor.reset();
        QTest::qWait(50);
        EXPECT_TRUE(outcome.results.empty());
    }
}

} // namespace
} // namespace quorvel
