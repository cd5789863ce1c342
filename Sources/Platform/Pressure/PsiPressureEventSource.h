#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

#include "Pressure/PressureEventSource.h"

class QSocketNotifier;
class QTimer;

namespace quorvel::platform {

// Linux pressure events: a PSI trigger on /proc/pressure/memory wakes it as
// soon as memory stalls, and a once-a-second re-check catches everything the
// trigger does not report, the return to normal above all. Without PSI or
// without the right to arm a trigger, the re-check alone serves.
class PsiPressureEventSource final : public QObject, public PressureEventSource {
    Q_OBJECT
public:
    using LevelReader = std::function<int32_t()>; // 1, 2, 4 or -1

    explicit PsiPressureEventSource(
        LevelReader readLevel = defaultLevelReader(),
        QString psiPath = QStringLiteral("/proc/pressure/memory"),
        std::chrono::milliseconds recheckInterval = std::chrono::milliseconds(1000));
    ~PsiPressureEventSource() override;

    void start(Handler handler) override;
    void cancel() override;

    bool isTriggerArmed() const { return triggerFd_ >= 0; }

    static LevelReader defaultLevelReader();

private:
    void armTrigger();
    void disarmTrigger();
    void recheck();

    LevelReader readLevel_;
    QString psiPath_;
    std::chrono::milliseconds recheckInterval_;
    Handler handler_;
    int32_t lastLevel_ = 1;
    int triggerFd_ = -1;
    QSocketNotifier *triggerNotifier_ = nullptr;
    QTimer *recheckTimer_ = nullptr;
};

} // namespace quorvel::platform
