#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

#include "Engine/PressureMonitor.h"
#include "Model/PressureModels.h"

namespace quorvel {

// The one observable object behind the panel. Every assignment of an
// observable property emits its change signal, equal values included;
// consumers that care drop repeats themselves. Main thread only.
class ProModel final : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kUsageHistoryLimit = 40;

    // The live model: builds its parts and starts them.
    explicit ProModel(QObject *parent = nullptr);
    // A model whose pressure monitor reads what the caller gives it.
    explicit ProModel(PressureMonitor::Dependencies pressureDependencies,
                      QObject *parent = nullptr);
    ~ProModel() override;

    const PressureSnapshot &pressure() const { return pressure_; }
    const std::vector<double> &usageHistory() const { return usageHistory_; }
    const QString &menuBarSymbol() const { return menuBarSymbol_; }

    // The pressure monitor's delivery; public so a demo model can feed it.
    void receivePressure(const PressureSnapshot &snapshot);

signals:
    void pressureChanged(const quorvel::PressureSnapshot &pressure);
    void usageHistoryChanged(const std::vector<double> &usageHistory);
    void menuBarSymbolChanged(const QString &menuBarSymbol);

private:
    void setPressure(const PressureSnapshot &pressure);
    void setUsageHistory(std::vector<double> usageHistory);
    void setMenuBarSymbol(const QString &symbol);

    PressureSnapshot pressure_;
    std::vector<double> usageHistory_;
    QString menuBarSymbol_;
    std::unique_ptr<PressureMonitor> pressureMonitor_;
};

} // namespace quorvel
