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
using platform::FrontmostApplication;
using platform::InMemoryWorkspace;
using platform::ProcessSignal;
using testing::application;
using testing::GovernorHarness;

InMemoryWorkspace::SignalCall call(const RawProcess &p, ProcessSignal signal, bool delivered) {
    return {{p.pid, p.startTime, p.name, p.path}, signal, delivered};
}

TEST(GovernorBlockRules, FirstApplicableRuleGivesTheReason) {
    const std::optional<FrontmostApplication> none;
    const FrontmostApplication browser{"org.example.Browser", 4242}, anonymous{std::nullopt, 4242};
    const char *notAnApp = "governance.block.notAnApp", *guarded = "governance.block.protected",
               *front = "governance.block.foreground", *allowed = nullptr;
    const auto app = [](std::string name, std::optional<std::string> id,
                        std::vector<int32_t> pids = {10}) {
        return application(std::move(name), std::move(id), std::move(pids));
    };
    const auto noPath = [](AppGroup group) {
        group.appPath = std::nullopt;
        return group;
    };
    // A group whose process runs `path`, named as the kernel names it (15 bytes at most).
    const auto running = [&](std::string path) {
        AppGroup group = app("Helper", "org.example.Helper");
        group.processes[0].name = path.substr(path.rfind('/') + 1, 15);
        group.processes[0].path = path;
        return group;
    };
    AppGroup mixed = app("Mixed", "org.example.Mixed", {10, 11});
    mixed.processes.push_back({900, 1, 1000, 1, 0, "Xwayland", "", 77});
    struct Case {
        const char *what;
        AppGroup group;
        std::optional<FrontmostApplication> frontmost;
        const char *reason;
    };
    const Case cases[] = {
        Case("no path wins over a protected name in front",
             noPath(app("Finder", "org.example.Browser", {4242})), browser, notAnApp),
        Case("a protected name", app("Finder", "org.example.Files"), none, guarded),
        Case("names compare case-sensitively", app("finder", "org.example.Files"), none, allowed),
        Case("this program's executable", running("/opt/quorvel/bin/quorvel"), none, guarded),
        Case("a system identifier", app("Safari", "com.apple.Safari"), none, guarded),
        Case("the system prefix ends in a dot", app("S", "com.applesauce.App"), none, allowed),
        Case("the shell's parts", app("Ext", "org.gnome.Shell.Extensions"), none, guarded),
        Case("only named like the shell", app("Tools", "org.gnome.ShellTools"), none, allowed),
        Case("a session manager whose name the kernel cut short",
             running("/usr/libexec/gnome-session-binary"), none, guarded),
        Case("named like the service manager", running("/usr/bin/systemd-analyze"), none, allowed),
        Case("one session process among ordinary ones", mixed, none, guarded),
        Case("a protected group in front is protected, not foreground",
             app("Finder", "org.example.Browser", {4242}), browser, guarded),
        Case("nothing in front", app("Browser", "org.example.Browser", {4242}), none, allowed),
        Case("the application in front", app("B", "org.example.Browser", {1}), browser, front),
        Case("another identifier holding the front process",
             app("Wrapper", "org.example.Wrapper", {7, 4242}), browser, front),
        Case("identifiers differ and no pid is shared", app("E", "e", {7}), browser, allowed),
        Case("no identifiers and no pid shared", app("Game", {}, {7}), anonymous, allowed),
    };
    for (const Case &c : cases) {
        GovernorHarness harness;
        harness.workspace->setFrontmost(c.frontmost);
        EXPECT_EQ(harness.governor->blockReason(c.group),
                  c.reason ? std::optional(L10n::t(c.reason)) : std::nullopt)
            << c.what;
    }
}

// What one restart reported through its completion.
struct Outcome {
    std::vector<bool> results;
    ProcessGovernor::RestartCompletion completion() {
        return [this](bool success) { results.push_back(success); };
    }
};

const AppGroup editor = application("Editor", "org.example.Editor", {20, 21}, 512u << 20);
const std::vector<platform::RunningApplication> editorInstances{{20, 5020}};

std::string blocked(const char *reason) {
    return L10n::t("governance.detail.blocked", L10n::t(reason));
}

enum class Front { elsewhere, inFront, unknown, windowsHidden };

TEST(GovernorRestart, QuitsWaitsForTheQuitInTheBackgroundAndReopensUnlessRefusedOrStillThere) {
    AppGroup noIdentifier = editor;
    noIdentifier.bundleID = std::nullopt;
    const std::string reopened = L10n::t("governance.detail.reopened", Format::bytes(512u << 20));
    const std::string enoent = "No such file or directory";
    const int kNever = 2 + ProcessGovernor::kRestartPauseLimit; // a last look after the last pause
    using enum Front;
    struct Case {
        const char *what;
        const AppGroup &group;
        Front front;
        bool running, quits;
        std::optional<std::string> openError;
        std::string detail;
        int lookups; // one before asking, then one before each pause
    };
    const Case cases[] = {
        Case("it quits", editor, elsewhere, true, true, {}, reopened, 2),
        Case("it never quits, maybe asking to save: no second instance", editor, elsewhere, true,
             false, {}, L10n::t("governance.detail.stillRunning"), kNever),
        Case("the reopen fails", editor, elsewhere, true, true, enoent,
             L10n::t("governance.detail.reopenFailed", enoent), 2),
        Case("in front", editor, inFront, true, true, {}, blocked("governance.block.foreground"),
             0),
        Case("what is in front cannot be told", editor, unknown, true, true, {},
             blocked("governance.block.frontUnknown"), 0),
        Case("its windows cannot be seen: a rule sends no signal", editor, windowsHidden, true,
             true, {}, L10n::t("governance.detail.windowsUnseen"), 1),
        Case("no identifier", noIdentifier, elsewhere, true, true, {},
             L10n::t("governance.detail.missingBundleInfo"), 0),
        Case("not running", editor, elsewhere, false, true, {},
             L10n::t("governance.detail.noRunningInstance"), 1),
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GovernorHarness harness;
        if (c.running) harness.workspace->setRunning("org.example.Editor", editorInstances);
        if (c.front == inFront) harness.workspace->setFrontmost(FrontmostApplication{"x", 21});
        harness.workspace->setCanSeeFrontmost(c.front != unknown);
        harness.workspace->setCanSeeWindows(c.front != windowsHidden);
        harness.workspace->setQuitsWhenAsked(c.quits);
        harness.workspace->setOpenResult(c.openError);
        Outcome outcome;
        harness.governor->restart(c.group, true, outcome.completion());
        const bool refused = !outcome.results.empty(); // reported before returning
        EXPECT_EQ(refused, c.lookups < 2);
        harness.governor->resume(c.group); // the governor does not wait with the restart
        ASSERT_TRUE(QTest::qWaitFor([&] { return !outcome.results.empty(); }, 20000));
        const bool reopens = !refused && c.quits, success = reopens && !c.openError;
        EXPECT_EQ(outcome.results, std::vector<bool>{success});
        EXPECT_EQ(harness.workspace->runningLookups(), c.lookups);
        EXPECT_EQ(harness.workspace->quitRequests().size(), refused ? 0u : 1u);
        EXPECT_EQ(harness.workspace->openedPaths().size(), reopens ? 1u : 0u);
        ASSERT_EQ(harness.governor->history().size(), 2u);
        const ActionRecord &record = harness.governor->history()[refused ? 1 : 0];
        EXPECT_EQ(record.action, GovernanceAction::restart);
        EXPECT_EQ(record.detail, L10n::t("governance.detail.automatic", c.detail));
        EXPECT_EQ(record.success, success);
    }
}

// Where the desktop hides which application is in front, nothing in front
// means "unknown": a rule must not freeze what may be in use, the user may.
TEST(GovernorFreeze, OnlyTheUsersOwnFreezeGoesAheadWhereTheFrontCannotBeSeen) {
    const std::string froze = L10n::plural("governance.detail.froze", 2, Format::bytes(512u << 20));
    struct Case {
        const char *what;
        AppGroup group;
        bool automatic, canSee;
        std::string detail;
    };
    const Case cases[] = {
        Case("a rule, front unknown", editor, true, false,
             blocked("governance.block.frontUnknown")),
        Case("the user, front unknown", editor, false, false, froze),
        Case("a rule, nothing in front", editor, true, true, froze),
        Case("a rule, protected and front unknown", application("Finder", "org.example.F", {20}),
             true, false, blocked("governance.block.protected")),
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GovernorHarness harness;
        harness.workspace->setCanSeeFrontmost(c.canSee);
        const bool acts = c.detail == froze;
        EXPECT_EQ(harness.governor->seesFrontmost(), c.canSee);
        EXPECT_EQ(harness.governor->suspend(c.group, c.automatic), acts);
        EXPECT_EQ(harness.workspace->signalCalls().size(), acts ? 2u : 0u);
        EXPECT_EQ(harness.latest().detail,
                  c.automatic ? L10n::t("governance.detail.automatic", c.detail) : c.detail);
    }
}

VMSnapshot reading(uint64_t freePages, uint64_t pageSize = 16384) {
    return {.pageSize = pageSize, .freePages = freePages};
}

TEST(FocusMode, FreezesWhatItMayReadsBeforeAndAfterAndResumesWhatItStillHolds) {
    GovernorHarness harness;
    harness.readings = {reading(1000), reading(5000, 4096)};
    harness.workspace->setFrontmost(FrontmostApplication{"org.example.Front", 50});
    harness.workspace->setUndeliverable({31, 40});
    QSignalSpy sessions(harness.governor.get(), &ProcessGovernor::focusSessionChanged);
    const AppGroup chat = application("Chat", "org.example.Chat", {30, 31}, 700u << 20);
    const AppGroup mail = application("Mail", "org.example.Mail", {60}, 300u << 20);
    harness.governor->enterFocus({application("Front", "org.example.Front", {50}), chat,
                                  application("Gone", "org.example.Gone", {40}), mail});
    harness.governor->enterFocus({application("Other", "org.example.Other", {70})}); // ignored

    ASSERT_EQ(sessions.count(), 1);
    const FocusSession session = *harness.governor->focusSession();
    EXPECT_EQ(session.frozenPIDs, (std::vector<int32_t>{30, 60}));
    EXPECT_EQ(session.frozenApps, (std::vector<std::string>{"Chat", "Mail"}));
    EXPECT_EQ(session.frozenFootprint, 1000u << 20);
    EXPECT_EQ(harness.signalsAtReading, std::vector<std::size_t>{0}) << "read before stopping";
    EXPECT_EQ(session.before, reading(1000));
    EXPECT_EQ(session.after, std::nullopt);
    EXPECT_EQ(session.startedAt, harness.time - 1s) << "the record is made after it";
    EXPECT_EQ(harness.latest().appName, "Chat, Mail");

    ASSERT_TRUE(QTest::qWaitFor([&] { return sessions.count() == 2; }, 10000));
    EXPECT_EQ(harness.governor->focusSession()->after, reading(5000, 4096));
    EXPECT_EQ(harness.governor->focusSession()->freeChange(), 5000 * 4096 - 1000 * 16384);

    // The user resumed Mail in between: only Chat's process is left, resumed as
    // stopped, and at the program's end nothing is left to resume.
    harness.governor->resume(mail);
    harness.governor->exitFocus();
    harness.governor->exitFocus(); // no session, nothing to leave
    harness.governor->resumeEverythingFrozen();
    EXPECT_EQ(harness.workspace->signalCalls().back(),
              call(chat.processes[0], ProcessSignal::resume, true));
    EXPECT_EQ(harness.workspace->signalCalls().size(), 6u);
    EXPECT_EQ(harness.governor->focusSession(), std::nullopt);
    EXPECT_EQ(sessions.count(), 3);
    ASSERT_EQ(harness.governor->history().size(), 3u);
    EXPECT_EQ(harness.latest().action, GovernanceAction::focusExit);
}

} // namespace
} // namespace quorvel
