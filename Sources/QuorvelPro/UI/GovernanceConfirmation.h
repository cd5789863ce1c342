#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

#include "UI/PendingGovernance.h"

class QWidget;

namespace quorvel {

class ConfirmationDialog;
class ProcessGovernor;

// Asks before a freeze or a restart: a dialog over `panel` while a request is
// pending; confirming hands it to the governor without waiting for the
// outcome, any other way out just drops it.
class GovernanceConfirmation : public QObject {
    Q_OBJECT
public:
    GovernanceConfirmation(ProcessGovernor &governor, QWidget *panel);

    void request(const AppGroup &group, PendingGovernance::Kind kind);
    // Drops the request without acting, as the cancel button does.
    void cancel();
    const std::optional<PendingGovernance> &pending() const { return pending_; }
    ConfirmationDialog *dialog() const { return dialog_; }

private:
    void perform(const PendingGovernance &pending);

    QPointer<ProcessGovernor> governor_;
    ConfirmationDialog *dialog_;
    std::optional<PendingGovernance> pending_;
};

} // namespace quorvel
