#include "UI/PendingGovernance.h"

#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {

PendingGovernance PendingGovernance::make(const AppGroup &group, Kind kind) {
    return {QUuid::createUuid(), group, kind};
}

std::string confirmTitle(const PendingGovernance &pending) {
    return L10n::t(pending.kind == PendingGovernance::Kind::suspend ? "pro.confirm.suspend.title"
                                                                    : "pro.confirm.restart.title",
                   pending.group.displayName);
}

std::string confirmMessage(const PendingGovernance &pending) {
    const std::string footprint = Format::bytes(pending.group.current);
    if (pending.kind == PendingGovernance::Kind::restart)
        return L10n::t("pro.confirm.restart.body", footprint);
    return L10n::plural("pro.confirm.suspend.body",
                        static_cast<int64_t>(pending.group.processes.size()), footprint);
}

std::string confirmButton(const PendingGovernance &pending) {
    return L10n::t(pending.kind == PendingGovernance::Kind::suspend ? "pro.confirm.suspend.button"
                                                                    : "pro.confirm.restart.button");
}

} // namespace quorvel
