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

MASModel::MASModel(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , menuBarSymbol_(QString::fromUtf8(symbol(PressureLevel::normal)))
    , listRunningApps_(std::move(dependencies.listRunningApps))
    , pressureMonitor_(std::make_unique<PressureMonitor>(std::move(dependencies.pressure)))
    , reviewPrompt_(std::make_unique<ReviewPrompt>(
          std::move(dependencies.defaults), kReviewPolicy, ReviewPrompt::bundleVersion(),
          std::move(dependencies.now), true, std::move(dependencies.requestReview))) {
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
