#include "Engine/ProcessGovernor.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "Support/ProtectedProcesses.h"
#include "System/SystemMemory.h"
#include "System/WorkspaceProcesses.h"
#include "Util/Format.h"
#include "Util/L10n.h"
#include "Workspace/ProcessSignaller.h"
#include "Workspace/SessionTrayHosts.h"

namespace quorvel {
namespace {

using platform::ProcessSignal;

platform::SampledProcess sampledFrom(const RawProcess &process) {
    return {process.pid, process.startTime, process.name, process.path};
}

std::string joined(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

} // namespace

struct ProcessGovernor::PendingRestart {
    AppGroup group;
    bool automatic = false;
    RestartCompletion completion;
    int pauses = 0;
};

ProcessGovernor::Dependencies
ProcessGovernor::liveDependencies(std::shared_ptr<platform::Workspace> workspace) {
    Dependencies dependencies{std::move(workspace), &SystemMemory::vmSnapshot, &Clock::now};
    dependencies.trayHosts = std::make_shared<platform::SessionTrayHosts>();
    dependencies.stillRuns = [](const platform::SampledProcess &process) {
        const std::optional<platform::ListedProcess> now = WorkspaceProcesses::inspect(process.pid);
        return now && platform::ProcessSignaller::isSameProcess(process, *now);
    };
    return dependencies;
}

ProcessGovernor::ProcessGovernor(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , dependencies_(std::move(dependencies)) {}

bool ProcessGovernor::holdsTray(const AppGroup &group) const {
    if (!dependencies_.trayHosts) return false;
    const std::vector<int32_t> hosts = dependencies_.trayHosts->pids();
    return std::ranges::any_of(group.processes, [&](const RawProcess &process) {
        return std::ranges::find(hosts, process.pid) != hosts.end();
    });
}

std::optional<std::string> ProcessGovernor::blockReason(const AppGroup &group) const {
    if (!group.appPath) return L10n::t("governance.block.notAnApp");
    if (ProtectedProcesses::isProtected(group) || holdsTray(group))
        return L10n::t("governance.block.protected");
    const std::optional<platform::FrontmostApplication> frontmost =
        dependencies_.workspace->frontmostApplication();
    if (!frontmost) return std::nullopt;
    const bool sameApplication =
        group.bundleID && frontmost->bundleID && *group.bundleID == *frontmost->bundleID;
    const std::vector<int32_t> pids = group.pids();
    const bool holdsFrontmostProcess =
        std::find(pids.begin(), pids.end(), frontmost->pid) != pids.end();
    if (sameApplication || holdsFrontmostProcess) return L10n::t("governance.block.foreground");
    return std::nullopt;
}

bool ProcessGovernor::seesFrontmost() const {
    return dependencies_.workspace->canSeeFrontmost();
}

bool ProcessGovernor::awaitsShellExtension() const {
    return dependencies_.workspace->awaitsShellExtension();
}

bool ProcessGovernor::seesWindows() const {
    return dependencies_.workspace->canSeeWindows();
}

std::optional<std::string> ProcessGovernor::refusal(const AppGroup &group, bool automatic) const {
    if (std::optional<std::string> reason = blockReason(group)) return reason;
    if (automatic && !seesFrontmost()) return L10n::t("governance.block.frontUnknown");
    return std::nullopt;
}

bool ProcessGovernor::suspend(const AppGroup &group, bool automatic) {
    if (const std::optional<std::string> reason = refusal(group, automatic)) {
        recordOutcome(GovernanceAction::suspend, group,
                      L10n::t("governance.detail.blocked", *reason), automatic, false);
        return false;
    }
    const bool success = signalAll(group, ProcessSignal::stop) > 0;
    recordOutcome(GovernanceAction::suspend, group,
                  L10n::plural("governance.detail.froze",
                               static_cast<int64_t>(group.processes.size()),
                               Format::bytes(group.current)),
                  automatic, success);
    return success;
}

bool ProcessGovernor::resume(const AppGroup &group) {
    const bool success = signalAll(group, ProcessSignal::resume) > 0;
    recordOutcome(
        GovernanceAction::resume, group,
        L10n::plural("governance.detail.resumed", static_cast<int64_t>(group.processes.size())),
        false, success);
    return success;
}

void ProcessGovernor::restart(const AppGroup &group, bool automatic, RestartCompletion completion) {
    auto pending = std::make_shared<PendingRestart>(group, automatic, std::move(completion));
    if (const std::optional<std::string> reason = refusal(group, automatic)) {
        finishRestart(pending, L10n::t("governance.detail.blocked", *reason), false);
        return;
    }
    if (!group.bundleID || !group.appPath) {
        finishRestart(pending, L10n::t("governance.detail.missingBundleInfo"), false);
        return;
    }
    const std::vector<platform::RunningApplication> instances =
        dependencies_.workspace->runningApplications(*group.bundleID);
    if (instances.empty()) {
        finishRestart(pending, L10n::t("governance.detail.noRunningInstance"), false);
        return;
    }
    // A rule acts unattended, so it never ends an application that may hold
    // unsaved work; the user confirmed a manual restart knowing that.
    const platform::UnseenWindows unseen =
        automatic ? platform::UnseenWindows::leave : platform::UnseenWindows::terminate;
    bool anyAsked = false;
    for (const platform::RunningApplication &instance : instances) {
        if (dependencies_.workspace->requestQuit(*group.bundleID, instance, unseen) !=
            platform::QuitRequest::notSent)
            anyAsked = true;
    }
    if (!anyAsked) {
        finishRestart(pending, L10n::t("governance.detail.windowsUnseen"), false);
        return;
    }
    awaitQuit(std::move(pending));
}

void ProcessGovernor::awaitQuit(std::shared_ptr<PendingRestart> restart) {
    if (dependencies_.workspace->runningApplications(*restart->group.bundleID).empty()) {
        reopen(std::move(restart));
        return;
    }
    // Opening it again now would only add a window beside its question.
    if (restart->pauses >= kRestartPauseLimit) {
        finishRestart(restart, L10n::t("governance.detail.stillRunning"), false);
        return;
    }
    QTimer::singleShot(dependencies_.restartPause,
                       [governor = QPointer(this), restart = std::move(restart)]() mutable {
                           if (!governor) return;
                           ++restart->pauses;
                           governor->awaitQuit(std::move(restart));
                       });
}

void ProcessGovernor::reopen(std::shared_ptr<PendingRestart> restart) {
    const std::string path = *restart->group.appPath;
    dependencies_.workspace->openApplication(
        path, [governor = QPointer(this),
               restart = std::move(restart)](std::optional<std::string> errorDescription) {
            if (!governor) return;
            if (errorDescription) {
                governor->finishRestart(
                    restart, L10n::t("governance.detail.reopenFailed", *errorDescription), false);
            } else {
                governor->finishRestart(
                    restart,
                    L10n::t("governance.detail.reopened", Format::bytes(restart->group.current)),
                    true);
            }
        });
}

void ProcessGovernor::finishRestart(const std::shared_ptr<PendingRestart> &restart,
                                    std::string detail, bool success) {
    recordOutcome(GovernanceAction::restart, restart->group, std::move(detail), restart->automatic,
                  success);
    if (restart->completion) restart->completion(success);
}

void ProcessGovernor::enterFocus(const std::vector<AppGroup> &targets) {
    if (focusSession_) return;
    FocusSession session;
    session.before = dependencies_.vmSnapshot();
    for (const AppGroup &target : targets) {
        if (blockReason(target)) continue;
        if (signalAll(target, ProcessSignal::stop, &session.frozenPIDs) == 0) continue;
        session.frozenApps.push_back(target.displayName);
        session.frozenFootprint += target.current;
    }
    session.startedAt = dependencies_.now();
    const bool success = !session.frozenPIDs.empty();
    const std::string appName = joined(session.frozenApps);
    const std::string detail = L10n::plural("governance.detail.focusFroze",
                                            static_cast<int64_t>(session.frozenApps.size()),
                                            Format::bytes(session.frozenFootprint));
    const uint64_t number = ++sessionNumber_;
    setFocusSession(std::move(session));
    record(ActionRecord::make(GovernanceAction::focusEnter, appName, detail, success,
                              dependencies_.now()));
    QTimer::singleShot(dependencies_.afterReadingDelay, [governor = QPointer(this), number] {
        if (governor) governor->takeAfterReading(number);
    });
}

void ProcessGovernor::takeAfterReading(uint64_t session) {
    if (!focusSession_ || session != sessionNumber_) return;
    FocusSession updated = *focusSession_;
    updated.after = dependencies_.vmSnapshot();
    setFocusSession(std::move(updated));
}

void ProcessGovernor::exitFocus() {
    if (!focusSession_) return;
    for (int32_t pid : focusSession_->frozenPIDs) {
        // Only what this governor stopped, and only while it is still that
        // process: the pid may have been reused since.
        const auto found = stopped_.find(pid);
        if (found == stopped_.end()) continue;
        const platform::SampledProcess process = found->second;
        stopped_.erase(found);
        dependencies_.workspace->sendSignal(process, ProcessSignal::resume);
        release(process);
    }
    const std::vector<std::string> &apps = focusSession_->frozenApps;
    record(ActionRecord::make(
        GovernanceAction::focusExit, joined(apps),
        L10n::plural("governance.detail.focusResumed", static_cast<int64_t>(apps.size())), true,
        dependencies_.now()));
    setFocusSession(std::nullopt);
}

void ProcessGovernor::resumeEverythingFrozen() {
    std::map<int32_t, platform::SampledProcess> stopped;
    stopped.swap(stopped_);
    for (const auto &[pid, process] : stopped) {
        dependencies_.workspace->sendSignal(process, ProcessSignal::resume);
        release(process);
    }
    if (dependencies_.ledger) dependencies_.ledger->ended();
}

void ProcessGovernor::forgetEnded() {
    if (!dependencies_.stillRuns) return;
    for (auto it = stopped_.begin(); it != stopped_.end();) {
        if (dependencies_.stillRuns(it->second)) {
            ++it;
            continue;
        }
        release(it->second);
        it = stopped_.erase(it);
    }
}

void ProcessGovernor::recordResumedAfterUnexpectedEnd(const std::vector<std::string> &appNames) {
    for (const std::string &name : appNames) {
        record(ActionRecord::make(GovernanceAction::resume, name,
                                  L10n::t("governance.detail.resumedAfterUnexpectedEnd"), true,
                                  dependencies_.now()));
    }
}

void ProcessGovernor::release(const platform::SampledProcess &process) {
    if (dependencies_.ledger) dependencies_.ledger->released(process);
}

void ProcessGovernor::record(ActionRecord entry) {
    std::vector<ActionRecord> updated;
    updated.reserve(std::min(history_.size() + 1, kHistoryLimit));
    updated.push_back(std::move(entry));
    for (const ActionRecord &older : history_) {
        if (updated.size() == kHistoryLimit) break;
        updated.push_back(older);
    }
    setHistory(std::move(updated));
}

bool ProcessGovernor::signal(const platform::SampledProcess &process, ProcessSignal signal,
                             const std::string &appName) {
    const bool stopping = signal == ProcessSignal::stop;
    // Listed before the stop: dying right after it must not leave the
    // process stopped with nobody knowing.
    if (stopping && dependencies_.ledger) dependencies_.ledger->stopped(process, appName);
    if (!dependencies_.workspace->sendSignal(process, signal)) {
        if (stopping && !stopped_.contains(process.pid)) release(process);
        return false;
    }
    if (stopping) {
        stopped_.insert_or_assign(process.pid, process);
    } else if (stopped_.erase(process.pid) > 0) {
        release(process);
    }
    return true;
}

int ProcessGovernor::signalAll(const AppGroup &group, ProcessSignal signal,
                               std::vector<int32_t> *delivered) {
    int count = 0;
    for (const RawProcess &process : group.processes) {
        if (!this->signal(sampledFrom(process), signal, group.displayName)) continue;
        ++count;
        if (delivered) delivered->push_back(process.pid);
    }
    return count;
}

void ProcessGovernor::recordOutcome(GovernanceAction action, const AppGroup &group,
                                    std::string detail, bool automatic, bool success) {
    if (automatic) detail = L10n::t("governance.detail.automatic", detail);
    ActionRecord entry = ActionRecord::make(action, group.displayName, std::move(detail), success,
                                            dependencies_.now());
    record(entry);
    if (automatic) emit automaticActionTaken(entry);
}

void ProcessGovernor::setHistory(std::vector<ActionRecord> history) {
    history_ = std::move(history);
    emit historyChanged(history_);
}

void ProcessGovernor::setFocusSession(std::optional<FocusSession> focusSession) {
    focusSession_ = std::move(focusSession);
    emit focusSessionChanged(focusSession_);
}

} // namespace quorvel
