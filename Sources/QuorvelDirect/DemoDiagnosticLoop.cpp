#include "DemoDiagnosticLoop.h"

namespace quorvel {

DemoDiagnosticLoop::DemoDiagnosticLoop(StatusItemController &status, QString file, QObject *parent)
    : QObject(parent)
    , status_(&status)
    , file_(std::move(file)) {
    timer_.setInterval(kPeriod);
    connect(&timer_, &QTimer::timeout, this, &DemoDiagnosticLoop::fire);
    timer_.start();
}

void DemoDiagnosticLoop::fire() {
    if (!status_) return;
    status_->showPopover();
    const std::optional<QRect> frame = status_->buttonFrameInScreen();
    if (!frame) return;
    DemoDiagnostics::write(file_, DemoDiagnostics::text(*frame, status_->diagnostics()));
}

} // namespace quorvel
