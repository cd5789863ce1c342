#include "App/MASModel.h"

#include <QPointer>
#include <QTimer>

#include "Defaults/SettingsDefaultsStore.h"
#include "Notifications/FreedesktopNotifier.h"
#include "Support/StoreReviewRequest.h"

namespace quorvel {

MASModel::Dependencies MASModel::liveDependencies() {
    std::shared_ptr<RunningAppsLister> lister = RunningAppsLister::live();
    return {PressureMonitor::liveDependencies(), [lister] { return lister->list(); },
            std::make_shared<platform::SettingsDefaultsStore>(
                platform::SettingsDefaultsStore::userFile()),
            ReviewPrompt::systemClock,
            storeReviewRequest(platform::FreedesktopNotifier::forSessionBus())};
}

MASModel::MASModel(PartsOnly, Dependencies &&dependencies, bool persists, QObject *parent)
    : QObject(parent)
    , menuBarSymbol_(QString::fromUtf8(symbol(PressureLevel::normal)))
    , listRunningApps_(std::move(dependencies.listRunningApps))
    , pressureMonitor_(std::make_unique<PressureMonitor>(std::move(dependencies.pressure)))
    , reviewPrompt_(std::make_unique<ReviewPrompt>(
          std::move(dependencies.defaults), kReviewPolicy, ReviewPrompt::bundleVersion(),
          std::move(dependencies.now), persists, std::move(dependencies.requestReview))) {}

MASModel::MASModel(Dependencies dependencies, QObject *parent)
    : MASModel(PartsOnly{}, std::move(dependencies), true, parent) {
    pressureMonitor_->setOnUpdate([model = QPointer<MASModel>(this)](const PressureSnapshot &s) {
        if (model) model->receivePressure(s);
    });
    pressureMonitor_->start();
    refreshRunningApps();
    appsTimer_ = new QTimer(this);
    appsTimer_->setInterval(kAppsRefreshMilliseconds);
    connect(appsTimer_, &QTimer::timeout, this, [model = QPointer<MASModel>(this)] {
        if (model) model->refreshRunningApps();
    });
    appsTimer_->start();
}

MASModel::MASModel(MASShotScene scene, Dependencies dependencies, QObject *parent)
    : MASModel(MASFixtureData::make(scene), std::move(dependencies), parent) {}

MASModel::MASModel(const MASFixtureData &fixture, Dependencies &&dependencies, QObject *parent)
    : MASModel(PartsOnly{}, std::move(dependencies), false, parent) {
    pressure_ = fixture.pressure;
    emit pressureChanged(pressure_);
    for (int i = 0; i < fixture.runningAppCount; ++i)
        runningApps_.push_back({1000 + i, "Fixture App " + std::to_string(i), {}, {}});
    emit runningAppsChanged(runningApps_);
    usageHistory_ = fixture.history;
    emit usageHistoryChanged(usageHistory_);
    menuBarSymbol_ = QString::fromUtf8(symbol(fixture.pressure.level));
    emit menuBarSymbolChanged(menuBarSymbol_);
}

// The monitor stops before the prompt it feeds goes.
MASModel::~MASModel() {
    pressureMonitor_->stop();
}

void MASModel::receivePressure(const PressureSnapshot &snapshot) {
    pressure_ = snapshot;
    emit pressureChanged(pressure_);
    menuBarSymbol_ = QString::fromUtf8(symbol(snapshot.level));
    emit menuBarSymbolChanged(menuBarSymbol_);
    reviewPrompt_->notePressure(snapshot.level);
    if (!snapshot.vm) return;
    usageHistory_.push_back(snapshot.vm->usedFraction());
    if (usageHistory_.size() > kUsageHistoryLimit)
        usageHistory_.erase(usageHistory_.begin(), usageHistory_.end() - kUsageHistoryLimit);
    emit usageHistoryChanged(usageHistory_);
}

void MASModel::refreshRunningApps() {
    runningApps_ = listRunningApps_ ? listRunningApps_() : std::vector<RunningApp>{};
    emit runningAppsChanged(runningApps_);
}

} // namespace quorvel
