#include "Apps/ProcessFamilies.h"

#include <unordered_map>

#include "Apps/LaunchWrappers.h"

namespace quorvel::platform {
namespace {

bool passesNothingOn(const std::string &program) {
    const ProgramKind kind = programKind(program);
    return kind == ProgramKind::shell || kind == ProgramKind::launcher;
}

class Families {
public:
    explicit Families(const std::vector<FamilyMember> &members)
        : members_(members)
        , settled_(members.size())
        , state_(members.size(), State::open) {
        indexByPid_.reserve(members.size());
        for (size_t i = 0; i < members.size(); ++i) indexByPid_.emplace(members[i].pid, i);
    }

    std::vector<std::optional<InstalledApplication>> settleAll() {
        for (size_t i = 0; i < members_.size(); ++i) settle(i);
        return std::move(settled_);
    }

private:
    enum class State { open, settling, settled };

    const std::optional<InstalledApplication> &settle(size_t i) {
        if (state_[i] != State::open) return settled_[i]; // settled, or a loop of parents
        state_[i] = State::settling;
        settled_[i] = work(i);
        state_[i] = State::settled;
        return settled_[i];
    }

    std::optional<InstalledApplication> work(size_t i) {
        const FamilyMember &member = members_[i];
        const std::optional<size_t> parent = parentOf(i);
        const std::optional<InstalledApplication> &found = member.found;
        if (found && !(found->byLaunchUnit && found->isTerminal)) return found;
        if (found && !isLaunchWrapper(member.program) && keepsTerminal(*found, parent))
            return found;
        if (passesNothingOn(member.program) || !parent) return std::nullopt;
        if (passesNothingOn(members_[*parent].program)) return std::nullopt;
        const std::optional<InstalledApplication> &inherited = settle(*parent);
        if (!inherited || inherited->isTerminal) return std::nullopt;
        return inherited;
    }

    // A process in a terminal's launch unit is the terminal's own helper when
    // the terminal (or another of its helpers) started it, or something
    // outside the unit did; not when it descends from one of its shells.
    bool keepsTerminal(const InstalledApplication &terminal, std::optional<size_t> parent) {
        if (!parent) return true;
        const std::optional<InstalledApplication> &parentFound = members_[*parent].found;
        const bool parentInUnit = parentFound && parentFound->path == terminal.path;
        if (!parentInUnit) return true;
        const std::optional<InstalledApplication> &parentSettled = settle(*parent);
        return parentSettled && parentSettled->path == terminal.path;
    }

    std::optional<size_t> parentOf(size_t i) const {
        const auto found = indexByPid_.find(members_[i].ppid);
        if (found == indexByPid_.end() || found->second == i) return std::nullopt;
        return found->second;
    }

    const std::vector<FamilyMember> &members_;
    std::vector<std::optional<InstalledApplication>> settled_;
    std::vector<State> state_;
    std::unordered_map<int32_t, size_t> indexByPid_;
};

} // namespace

std::vector<std::optional<InstalledApplication>>
settleFamilies(const std::vector<FamilyMember> &members) {
    return Families(members).settleAll();
}

} // namespace quorvel::platform
