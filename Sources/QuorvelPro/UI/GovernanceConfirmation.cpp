#include "UI/GovernanceConfirmation.h"

#include <string>

#include "Engine/ProcessGovernor.h"
#include "UI/ConfirmationDialog.h"
#include "UI/Toolkit/QtText.h"
#include "Util/L10n.h"

namespace quorvel {

GovernanceConfirmation::GovernanceConfirmation(ProcessGovernor &governor, QWidget *panel)
    : QObject(panel)
    , governor_(&governor)
    , dialog_(new ConfirmationDialog(panel)) {}

void GovernanceConfirmation::request(const AppGroup &group, PendingGovernance::Kind kind) {
    pending_ = PendingGovernance::make(group, kind);
    const PendingGovernance pending = *pending_;
    std::string message = confirmMessage(pending);
    // The block rules cannot keep the app in use safe here; the user can.
    if (governor_ && !governor_->seesFrontmost())
        message += "\n\n" + L10n::t("pro.confirm.frontUnknown");
    if (governor_ && governor_->awaitsShellExtension())
        message += "\n\n" + L10n::t("pro.notice.shellExtension");
    if (governor_ && pending.kind == PendingGovernance::Kind::restart && !governor_->seesWindows())
        message += "\n\n" + L10n::t("pro.confirm.terminateUnseen");
    dialog_->present(qtText(confirmTitle(pending)), qtText(message),
                     {{qtText(confirmButton(pending)), ConfirmationDialog::Role::destructive,
                       [this, pending] {
                           pending_.reset();
                           perform(pending);
                       }},
                      {qtText(L10n::t("pro.action.cancel")), ConfirmationDialog::Role::cancel,
                       [this] { pending_.reset(); }}});
}

void GovernanceConfirmation::cancel() {
    pending_.reset();
    dialog_->dismiss();
}

void GovernanceConfirmation::perform(const PendingGovernance &pending) {
    if (!governor_) return;
    if (pending.kind == PendingGovernance::Kind::suspend) {
        governor_->suspend(pending.group, false);
    } else {
        governor_->restart(pending.group, false);
    }
}

} // namespace quorvel
