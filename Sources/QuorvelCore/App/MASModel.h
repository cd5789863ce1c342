#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "Engine/PressureMonitor.h"
#include "Engine/ReviewPromptEngine.h"
#include "Engine/RunningAppsLister.h"
#include "Model/PressureModels.h"
#include "Support/MASShotFixtures.h"
#include "Support/ReviewPrompt.h"

class QTimer;

namespace quorvel {

// The observable model of the store edition: memory pressure, a short usage
// history, the menu-bar symbol and the running applications, refreshed every
// five seconds. It samples no process's memory and governs nothing. Every
// assignment of an observable property emits its change signal, equal values
// included. Main thread only.
class MASModel final : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kUsageHistoryLimit = 40;
    static constexpr int kAppsRefreshMilliseconds = 5000;
    // When the store edition may ask for a review.
    static constexpr ReviewPromptEngine::Policy kReviewPolicy{3.0, 3, 4, 14.0, 7, 10, 4.0, 120.0};

    // What the model reads and where its review record goes; tests replace
    // any of it.
    struct Dependencies {
        PressureMonitor::Dependencies pressure;
        std::function<std::vector<RunningApp>()> listRunningApps;
        std::shared_ptr<platform::DefaultsStore> defaults;
        ReviewPrompt::Clock now = ReviewPrompt::systemClock;
        ReviewPrompt::Request requestReview;
    };
    static Dependencies liveDependencies();

    explicit MASModel(Dependencies dependencies = liveDependencies(), QObject *parent = nullptr);
    // A demo model that shows `scene` and stays as it is: it lists no
    // applications, reads no pressure, and its review prompt starts afresh
    // and never reads or writes the settings.
    explicit MASModel(MASShotScene scene, Dependencies dependencies = liveDependencies(),
                      QObject *parent = nullptr);
    ~MASModel() override;

    const PressureSnapshot &pressure() const { return pressure_; }
    const std::vector<RunningApp> &runningApps() const { return runningApps_; }
    const std::vector<double> &usageHistory() const { return usageHistory_; }
    const QString &menuBarSymbol() const { return menuBarSymbol_; }
    ReviewPrompt &reviewPrompt() const { return *reviewPrompt_; }
    // Null in a demo model, which refreshes nothing.
    QTimer *appsTimer() const { return appsTimer_; }

    // The pressure monitor's delivery; public so a demo model can feed it.
    void receivePressure(const PressureSnapshot &snapshot);

signals:
    void pressureChanged(const quorvel::PressureSnapshot &pressure);
    void runningAppsChanged(const std::vector<quorvel::RunningApp> &runningApps);
    void usageHistoryChanged(const std::vector<double> &usageHistory);
    void menuBarSymbolChanged(const QString &menuBarSymbol);

private:
    struct PartsOnly {};
    // Creates the monitor and the review prompt, starting neither.
    MASModel(PartsOnly, Dependencies &&dependencies, bool persists, QObject *parent);
    MASModel(const MASFixtureData &fixture, Dependencies &&dependencies, QObject *parent);

    void refreshRunningApps();

    PressureSnapshot pressure_;
    std::vector<RunningApp> runningApps_;
    std::vector<double> usageHistory_;
    QString menuBarSymbol_;
    std::function<std::vector<RunningApp>()> listRunningApps_;
    std::unique_ptr<PressureMonitor> pressureMonitor_;
    QTimer *appsTimer_ = nullptr;
    std::unique_ptr<ReviewPrompt> reviewPrompt_;
};

} // namespace quorvel
