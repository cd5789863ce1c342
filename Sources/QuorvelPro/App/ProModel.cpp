#include "App/ProModel.h"

#include <QPointer>

namespace quorvel {

ProModel::ProModel(QObject *parent) : ProModel(PressureMonitor::liveDependencies(), parent) {}

ProModel::ProModel(PressureMonitor::Dependencies pressureDependencies, QObject *parent)
    : QObject(parent)
    , menuBarSymbol_(QString::fromUtf8(symbol(PressureLevel::normal)))
    , pressureMonitor_(std::make_unique<PressureMonitor>(std::move(pressureDependencies))) {
    pressureMonitor_->setOnUpdate([model = QPointer<ProModel>(this)](const PressureSnapshot &s) {
        if (model) model->receivePressure(s);
    });
    pressureMonitor_->start();
}

ProModel::~ProModel() = default;

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

void ProModel::setPressure(const PressureSnapshot &pressure) {
    pressure_ = pressure;
    emit pressureChanged(pressure_);
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
