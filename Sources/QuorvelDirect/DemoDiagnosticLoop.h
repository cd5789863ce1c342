#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

#include "App/StatusItemController.h"
#include "DemoDiagnostics.h"

namespace quorvel {

// For screenshot tooling in a demo run: every two seconds, for as long as the
// program runs, shows the panel again if it was closed and writes the status
// item's geometry to `file`. Main thread only.
class DemoDiagnosticLoop final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPeriod{2000};

    // Starts at once; the first firing comes one period later.
    explicit DemoDiagnosticLoop(StatusItemController &status,
                                QString file = QString::fromLatin1(DemoDiagnostics::kDefaultFile),
                                QObject *parent = nullptr);

    // One firing. Writes nothing while the icon's frame is unknown.
    void fire();

    QTimer &timer() { return timer_; }

private:
    QPointer<StatusItemController> status_;
    QString file_;
    QTimer timer_;
};

} // namespace quorvel
