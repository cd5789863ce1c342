#pragma once

#include <QUuid>

#include <string>

#include "Model/AppGroup.h"

namespace quorvel {

// A freeze or restart that waits for the user's confirmation; `group` is the
// application as it was when asked.
struct PendingGovernance {
    enum class Kind { suspend, restart };

    QUuid id;
    AppGroup group;
    Kind kind = Kind::suspend;

    static PendingGovernance make(const AppGroup &group, Kind kind);
};

std::string confirmTitle(const PendingGovernance &pending);
std::string confirmMessage(const PendingGovernance &pending);
std::string confirmButton(const PendingGovernance &pending);

} // namespace quorvel
