#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Apps/ApplicationResolver.h"

namespace quorvel::platform {

// One process of a listing as the family rules see it.
struct FamilyMember {
    int32_t pid = 0;
    int32_t ppid = 0;
    std::string program;                       // the executable's file name
    std::optional<InstalledApplication> found; // what the resolver found for it alone
};

// The application of every member, in the order given. A process the
// resolver placed nowhere belongs to its parent's application, except
// through shells, launchers and terminal emulators: a shell a terminal
// starts, and what runs in it, are their own. For the same reason a
// terminal's launch unit claims only the terminal's own helpers, not its
// shells and their children.
std::vector<std::optional<InstalledApplication>>
settleFamilies(const std::vector<FamilyMember> &members);

} // namespace quorvel::platform
