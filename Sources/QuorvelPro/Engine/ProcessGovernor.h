#pragma once

#include <QObject>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Guardian/FrozenRecord.h"
#include "Model/AppGroup.h"
#include "Model/GovernanceModels.h"
#include "Model/PressureModels.h"
#include "Workspace/TrayHosts.h"
#include "Workspace/Workspace.h"

namespace quorvel {

// The one place that acts on other applications: freezes, resumes and
// gently restarts them within the block rules, runs focus mode and keeps the
// history of every attempt. Every assignment of `history` or `focusSession`
// emits its change signal, equal values included. Main thread only; the
// waiting parts run on the event loop and never block it.
class ProcessGovernor final : public QObject {
    Q_OBJECT
public:
    using Clock = ActionRecord::Clock;
    using RestartCompletion = std::function<void(bool success)>;

    static constexpr std::size_t kHistoryLimit = 100;
    static constexpr std::chrono::milliseconds kRestartPause{200};
    static constexpr int kRestartPauseLimit = 30;
    static constexpr std::chrono::milliseconds kAfterReadingDelay{1500};

    struct Dependencies {
        std::shared_ptr<platform::Workspace> workspace; // must not be null
        std::function<std::optional<VMSnapshot>()> vmSnapshot;
        std::function<Clock::time_point()> now;
        std::chrono::milliseconds restartPause = kRestartPause;
        std::chrono::milliseconds afterReadingDelay = kAfterReadingDelay;
        // Whoever holds the tray with this program's icon is protected;
        // null when no tray is looked for.
        std::shared_ptr<platform::TrayHosts> trayHosts = nullptr;
        // Told of every process stopped and let go of, so that nothing stays
        // frozen when this program dies; null when nobody keeps the list.
        std::shared_ptr<platform::FrozenLedger> ledger = nullptr;
        // Whether a process this governor stopped still runs; null when
        // what it stopped is never forgotten.
        std::function<bool(const platform::SampledProcess &)> stillRuns = nullptr;
    };
    // The system's memory readings, clock and tray hosts around `workspace`.
    static Dependencies liveDependencies(std::shared_ptr<platform::Workspace> workspace);

    explicit ProcessGovernor(Dependencies dependencies, QObject *parent = nullptr);

    // Newest first, at most `kHistoryLimit` entries.
    const std::vector<ActionRecord> &history() const { return history_; }
    const std::optional<FocusSession> &focusSession() const { return focusSession_; }

    // Why the group may not be frozen or restarted, or nothing.
    std::optional<std::string> blockReason(const AppGroup &group) const;
    // Whether the desktop shows which application is in front. Where it does
    // not, automatic freezes and restarts are refused, as the one in use
    // could be hit; the user's own choices still go ahead.
    bool seesFrontmost() const;
    // Whether the desktop shows applications' windows. Where it does not, a
    // manual restart ends the app by a termination signal and a rule's
    // restart does nothing.
    bool seesWindows() const;
    // Whether switching on Quorvel's shell extension would let it see what
    // is in front.
    bool awaitsShellExtension() const;

    // Each writes one history record and returns whether any process got
    // the signal.
    bool suspend(const AppGroup &group, bool automatic);
    bool resume(const AppGroup &group);
    // Asks the application to quit, waits for it to go (200 ms pauses, at
    // most 30) and opens it again in the background. One still running then
    // may be asking the user something (to save, say), so the restart fails
    // rather than open a second instance. Writes one record, then calls
    // `completion` with its outcome: before returning when the restart is
    // refused at once, later otherwise. Nothing is called when the governor
    // is destroyed first.
    void restart(const AppGroup &group, bool automatic, RestartCompletion completion = {});

    // Freezes the targets that are not blocked and starts a session, whose
    // after-reading follows `kAfterReadingDelay` later. Ignored while a
    // session runs, so the running session's processes are not forgotten.
    void enterFocus(const std::vector<AppGroup> &targets);
    // Resumes what the session froze and ends it; nothing without a session.
    void exitFocus();

    // Publishes `focusSession` as given, signalling no process; a demo shows
    // a session this way.
    void setFocusSession(std::optional<FocusSession> focusSession);

    // Adds `entry` at the front, dropping the oldest beyond the limit.
    void record(ActionRecord entry);

    // For the program's end: continues every process this governor stopped
    // and has not resumed since, as long as it is still the same process.
    // Writes no record and leaves the focus session as it is.
    // Also lets the guardian go.
    void resumeEverythingFrozen();

    // Lets go of the stopped processes that have ended since.
    void forgetEnded();

    // One record for each application a previous run left stopped and this
    // start continued.
    void recordResumedAfterUnexpectedEnd(const std::vector<std::string> &appNames);

signals:
    void historyChanged(const std::vector<quorvel::ActionRecord> &history);
    void focusSessionChanged(const std::optional<quorvel::FocusSession> &focusSession);
    // A rule froze or restarted an application, or tried to; after the record.
    void automaticActionTaken(const quorvel::ActionRecord &record);

private:
    struct PendingRestart;

    // Whether one of the group's processes holds the tray.
    bool holdsTray(const AppGroup &group) const;
    // The block reason, and for an automatic action a front that cannot be seen.
    std::optional<std::string> refusal(const AppGroup &group, bool automatic) const;

    // Sends `signal` to the process as sampled; true when delivered. Keeps
    // the identity of what it stopped, and lets go of what it resumed.
    bool signal(const platform::SampledProcess &process, platform::ProcessSignal signal,
                const std::string &appName);
    void release(const platform::SampledProcess &process);
    // Of the group's processes, how many got the signal.
    int signalAll(const AppGroup &group, platform::ProcessSignal signal,
                  std::vector<int32_t> *delivered = nullptr);
    void recordOutcome(GovernanceAction action, const AppGroup &group, std::string detail,
                       bool automatic, bool success);
    void finishRestart(const std::shared_ptr<PendingRestart> &restart, std::string detail,
                       bool success);
    void awaitQuit(std::shared_ptr<PendingRestart> restart);
    void reopen(std::shared_ptr<PendingRestart> restart);
    void takeAfterReading(uint64_t session);
    void setHistory(std::vector<ActionRecord> history);

    Dependencies dependencies_;
    std::vector<ActionRecord> history_;
    std::optional<FocusSession> focusSession_;
    // Counts sessions, so a late after-reading finds only its own.
    uint64_t sessionNumber_ = 0;
    // Every process this governor stopped, as it was when stopped.
    std::map<int32_t, platform::SampledProcess> stopped_;
};

} // namespace quorvel
