#include <gtest/gtest.h>
#include <unistd.h>

#include "UI/RuleCard.h"

namespace quorvel {
namespace {

// Quorvel never acts on itself, so no rule is offered for it.
TEST(RuleOffers, LeaveOutTheGroupQuorvelRunsIn) {
    std::vector<AppGroup> groups;
    for (const int32_t pid : {4000, ::getpid(), 4002}) {
        AppGroup &group = groups.emplace_back();
        group.key = group.displayName = std::to_string(pid);
        group.processes.emplace_back().pid = pid;
    }
    EXPECT_EQ(offeredApplications(groups),
              (std::vector<OfferedApplication>{{"4000", "4000"}, {"4002", "4002"}}));
}

} // namespace
} // namespace quorvel
