#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

#include "Engine/PressureMonitor.h"
#include "Engine/ProcessGovernor.h"
#include "Engine/SamplingEngine.h"
#include "Engine/ThresholdController.h"
#include "Model/AppGroup.h"
#include "Model/PressureModels.h"

namespace quorvel {

// The one observable object behind the panel. Every assignment of an
// observable property emits its change signal, equal values included;
// consumers that care drop repeats themselves. Main thread only.
//
// Whatever the governor froze is resumed when the application is about to
// quit and, at the latest, when the model goes, so no process stays stopped
// behind a Quorvel that has ended.
class ProModel final : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kUsageHistoryLimit = 40;

    // What the model's parts read and act on; tests replace any of it.
    struct Dependencies {
        ProcessGovernor::Dependencies governor;
        SamplingEngine::Dependencies sampler;
        PressureMonitor::Dependencies pressure;
        // Where the rules are kept and announced; the governor is the model's.
        std::shared_ptr<platform::DefaultsStore> defaults;
        std::shared_ptr<platform::Notifier> notifier;
    };
    static Dependencies liveDependencies();

    // The live model: builds its parts and starts them.
    explicit ProModel(QObject *parent = nullptr);
    explicit ProModel(Dependencies dependencies, QObject *parent = nullptr);
    ~ProModel() override;

    const std::vector<AppGroup> &groups() const { return groups_; }
    const PressureSnapshot &pressure() const { return pressure_; }
    double intervalSeconds() const { return intervalSeconds_; }
    const std::vector<double> &usageHistory() const { return usageHistory_; }
    const QString &menuBarSymbol() const { return menuBarSymbol_; }
    ProcessGovernor &governor() { return *governor_; }
    ThresholdController &thresholds() { return *thresholds_; }
    // For inspection only; the model alone drives it.
    const SamplingEngine &sampler() const { return *sampler_; }

    // The groups offered for focus mode: those the governor would act on and
    // that are not stopped, known memory hogs first, then larger footprint
    // first, otherwise in the sampler's order.
    std::vector<AppGroup> focusCandidates() const;

    // Samples at once and then every `seconds`. Not kept across launches.
    // A period that is not positive and finite is ignored, as the sampler
    // ignores it, so `intervalSeconds` always names the period in force.
    void setInterval(double seconds);

    // The deliveries of the sampler and the pressure monitor; public so a
    // demo model can feed them.
    void receiveGroups(const std::vector<AppGroup> &groups);
    void receivePressure(const PressureSnapshot &snapshot);

signals:
    void groupsChanged(const std::vector<quorvel::AppGroup> &groups);
    void pressureChanged(const quorvel::PressureSnapshot &pressure);
    void intervalSecondsChanged(double intervalSeconds);
    void usageHistoryChanged(const std::vector<double> &usageHistory);
    void menuBarSymbolChanged(const QString &menuBarSymbol);

private:
    void setGroups(const std::vector<AppGroup> &groups);
    void setPressure(const PressureSnapshot &pressure);
    void setIntervalSeconds(double intervalSeconds);
    void setUsageHistory(std::vector<double> usageHistory);
    void setMenuBarSymbol(const QString &symbol);

    std::vector<AppGroup> groups_;
    PressureSnapshot pressure_;
    double intervalSeconds_ = SamplingEngine::kDefaultInterval;
    std::vector<double> usageHistory_;
    QString menuBarSymbol_;
    std::unique_ptr<ProcessGovernor> governor_;
    std::unique_ptr<SamplingEngine> sampler_;
    std::unique_ptr<PressureMonitor> pressureMonitor_;
    std::unique_ptr<ThresholdController> thresholds_;
};

} // namespace quorvel
