#include "App/ProModel.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <cmath>

#include "Apps/DesktopEntryResolver.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Notifications/FreedesktopNotifier.h"
#include "System/WorkspaceProcesses.h"

namespace quorvel {

ProModel::Dependencies ProModel::liveDependencies() {
    // One resolver for the governor (main thread) and the sampler (sampling
    // thread), so that both see every process alike.
    auto resolver = platform::DesktopEntryResolver::shared();
    return {ProcessGovernor::liveDependencies(WorkspaceProcesses::liveWorkspace(resolver)),
            SamplingEngine::liveDependencies(resolver), PressureMonitor::liveDependencies(),
            std::make_shared<platform::SettingsDefaultsStore>(
                platform::SettingsDefaultsStore::userFile()),
            platform::FreedesktopNotifier::forSessionBus()};
}

ProModel::ProModel(QObject *parent)
    : ProModel(liveDependencies(), parent) {}

ProModel::ProModel(PartsOnly, Dependencies &&dependencies, QObject *parent)
    : QObject(parent)
    , menuBarSymbol_(QString::fromUtf8(symbol(PressureLevel::normal)))
    , governor_(std::make_unique<ProcessGovernor>(std::move(dependencies.governor)))
    , sampler_(std::make_unique<SamplingEngine>(std::move(dependencies.sampler)))
    , pressureMonitor_(std::make_unique<PressureMonitor>(std::move(dependencies.pressure)))
    , thresholds_(std::make_unique<ThresholdController>(ThresholdController::Dependencies{
          governor_.get(), std::move(dependencies.defaults), std::move(dependencies.notifier)})) {
    if (QCoreApplication *application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, governor_.get(),
                &ProcessGovernor::resumeEverythingFrozen);
    }
}

ProModel::ProModel(Dependencies dependencies, QObject *parent)
    : ProModel(PartsOnly{}, std::move(dependencies), parent) {
    sampler_->setOnUpdate([model = QPointer<ProModel>(this)](const std::vector<AppGroup> &groups) {
        if (model) model->receiveGroups(groups);
    });
    pressureMonitor_->setOnUpdate([model = QPointer<ProModel>(this)](const PressureSnapshot &s) {
        if (model) model->receivePressure(s);
    });
    sampler_->start(intervalSeconds_);
    pressureMonitor_->start();
}

ProModel::ProModel(ShotScene scene, Dependencies dependencies, QObject *parent)
    : ProModel(ShotFixtureData::make(scene, dependencies.governor.now ? dependencies.governor.now()
                                                                      : ActionRecord::Clock::now()),
               std::move(dependencies), parent) {}

ProModel::ProModel(const ShotFixtureData &fixture, Dependencies &&dependencies, QObject *parent)
    : ProModel(PartsOnly{}, std::move(dependencies), parent) {
    thresholds_->setPersists(false);
    thresholds_->setRules(fixture.rules);
    // Saves, which writes nothing now.
    thresholds_->setAutomaticGovernanceOn(fixture.automaticGovernanceOn);

    setGroups(fixture.groups);
    setPressure(fixture.pressure);
    setUsageHistory(fixture.history);
    setMenuBarSymbol(QString::fromUtf8(symbol(fixture.pressure.level)));
    governor_->setFocusSession(fixture.focusSession);
}

ProModel::~ProModel() {
    // The sampler and the monitor stop first, so no delivery lands in a
    // model that is half gone.
    pressureMonitor_.reset();
    sampler_.reset();
    thresholds_.reset();
    governor_->resumeEverythingFrozen();
}

std::vector<AppGroup> ProModel::focusCandidates() const {
    std::vector<AppGroup> candidates;
    for (const AppGroup &group : groups_) {
        if (!group.isStopped && !governor_->blockReason(group)) candidates.push_back(group);
    }
    std::ranges::stable_sort(candidates, [](const AppGroup &a, const AppGroup &b) {
        if (a.isKnownHog != b.isKnownHog) return a.isKnownHog;
        return a.current > b.current;
    });
    return candidates;
}

void ProModel::setInterval(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return;
    setIntervalSeconds(seconds);
    sampler_->reschedule(seconds);
}

void ProModel::receiveGroups(const std::vector<AppGroup> &groups) {
    governor_->forgetEnded();
    setGroups(groups);
    thresholds_->onSample(groups_);
}

void ProModel::receivePressure(const PressureSnapshot &snapshot) {
    setPressure(snapshot);
    setMenuBarSymbol(QString::fromUtf8(symbol(snapshot.level)));
    if (!snapshot.vm) return;
    std::vector<double> history = usageHistory_;
    history.push_back(snapshot.vm->usedFraction());
    if (history.size() > kUsageHistoryLimit)
        history.erase(history.begin(), history.end() - kUsageHistoryLimit);
    setUsageHistory(std::move(history));
}

void ProModel::setGroups(const std::vector<AppGroup> &groups) {
    groups_ = groups;
    emit groupsChanged(groups_);
}

void ProModel::setPressure(const PressureSnapshot &pressure) {
    pressure_ = pressure;
    emit pressureChanged(pressure_);
}

void ProModel::setIntervalSeconds(double intervalSeconds) {
    intervalSeconds_ = intervalSeconds;
    emit intervalSecondsChanged(intervalSeconds_);
}

void ProModel::setUsageHistory(std::vector<double> usageHistory) {
    usageHistory_ = std::move(usageHistory);
    emit usageHistoryChanged(usageHistory_);
}

void ProModel::setMenuBarSymbol(const QString &symbol) {
    menuBarSymbol_ = symbol;
    emit menuBarSymbolChanged(menuBarSymbol_);
}

} // namespace quorvel
