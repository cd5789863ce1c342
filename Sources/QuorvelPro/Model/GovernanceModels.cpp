#include "Model/GovernanceModels.h"

#include <array>
#include <utility>

#include "Util/Uuid.h"

namespace quorvel {
namespace {

struct ActionNames {
    GovernanceAction action;
    std::string_view raw;
    std::string_view titleKey;
};

constexpr std::array<ActionNames, 6> kActions{{
    {GovernanceAction::suspend, "Freeze", "governance.action.suspend"},
    {GovernanceAction::resume, "Resume", "governance.action.resume"},
    {GovernanceAction::restart, "Gentle restart", "governance.action.restart"},
    {GovernanceAction::focusEnter, "Enter Focus Mode", "governance.action.focusEnter"},
    {GovernanceAction::focusExit, "Exit Focus Mode", "governance.action.focusExit"},
    {GovernanceAction::notify, "Threshold alert", "governance.action.notify"},
}};

const ActionNames &namesOf(GovernanceAction action) {
    for (const ActionNames &names : kActions) {
        if (names.action == action) return names;
    }
    return kActions.back();
}

// Each product in unsigned 64 bits, the difference as a signed count: a
// change of more than half the address space cannot happen on a real machine.
std::optional<int64_t> change(const std::optional<VMSnapshot> &before,
                              const std::optional<VMSnapshot> &after, uint64_t VMSnapshot::*pages) {
    if (!before || !after) return std::nullopt;
    const uint64_t earlier = (*before).*pages * before->pageSize;
    const uint64_t later = (*after).*pages * after->pageSize;
    return static_cast<int64_t>(later - earlier);
}

} // namespace

std::string_view rawValue(GovernanceAction action) {
    return namesOf(action).raw;
}

std::optional<GovernanceAction> governanceActionFromRaw(std::string_view raw) {
    for (const ActionNames &names : kActions) {
        if (names.raw == raw) return names.action;
    }
    return std::nullopt;
}

std::string displayName(GovernanceAction action, const Localizer &localizer) {
    return localizer.t(namesOf(action).titleKey);
}

RecordID RecordID::random() {
    const Uuid uuid = Uuid::random();
    return {uuid.high, uuid.low};
}

ActionRecord ActionRecord::make(GovernanceAction action, std::string appName, std::string detail,
                                bool success, Clock::time_point timestamp) {
    return {RecordID::random(), timestamp, action, std::move(appName), std::move(detail), success};
}

std::optional<int64_t> FocusSession::freeChange() const {
    return change(before, after, &VMSnapshot::freePages);
}

std::optional<int64_t> FocusSession::compressedChange() const {
    return change(before, after, &VMSnapshot::compressedPages);
}

} // namespace quorvel
