#include <gtest/gtest.h>

#include <limits>

#include "Engine/ReviewPromptEngine.h"

namespace {

using namespace std::chrono_literals;
using quorvel::Date;
using quorvel::PressureLevel;
using quorvel::ReviewPromptState;
using namespace quorvel::ReviewPromptEngine;

// Strain: 3 days installed, 3 active days, 4 openings; habit: 14, 7 and 10.
const Policy kPolicy{3.0, 3, 4, 14.0, 7, 10, 4.0, 120.0};
const Date kNow = Date(std::chrono::seconds(1'750'000'000));
constexpr Date kReferenceDate{std::chrono::seconds(978307200)}; // 2001-01-01 UTC

Date daysAgo(double days) {
    return kNow - std::chrono::duration_cast<Date::duration>(
                      std::chrono::duration<double>(days * kSecondsPerDay));
}

ReviewPromptState record(double installedDaysAgo, int64_t opens, int activeDays, bool strain,
                         const char *askedVersion = nullptr, double askedDaysAgo = 0) {
    ReviewPromptState state{daysAgo(installedDaysAgo), opens, {}, strain, {}, {}};
    for (int i = 0; i < activeDays; ++i)
        state.activeDays.push_back("2025-01-1" + std::to_string(i));
    if (askedVersion) {
        state.lastRequestVersion = askedVersion;
        state.lastRequestDate = daysAgo(askedDaysAgo);
    }
    return state;
}

TEST(ReviewPromptEngine, DecidesByTheFirstCheckThatHolds) {
    const auto hold = Outcome::holding;
    const ReviewPromptState strained = record(3.5, 4, 3, true);
    const struct {
        const char *name;
        ReviewPromptState state;
        Outcome expected;
        PressureLevel level = PressureLevel::normal;
        double dwell = 4.0;
        Date now = kNow;
    } cases[] = {
        {"fresh record", {}, hold(Hold::noFirstLaunchRecorded), PressureLevel::critical, 0},
        {"strain set met exactly", strained, Outcome::ask()},
        {"habit set met exactly", record(14, 10, 7, false), Outcome::ask()},
        {"no strain: the habit set applies", record(3.5, 4, 3, false),
         hold(Hold::tooSoonAfterInstall)},
        {"asked for this version years ago", record(3.5, 4, 3, true, "0.1 (7)", 2000),
         hold(Hold::alreadyAskedThisVersion)},
        {"other version 119 days ago", record(3.5, 4, 3, true, "0.0 (1)", 119),
         hold(Hold::askedRecently)},
        {"other version 120 days ago", record(3.5, 4, 3, true, "0.0 (1)", 120), Outcome::ask()},
        {"warning pressure", strained, hold(Hold::memoryUnderStrain), PressureLevel::warning},
        {"dwell 3.9 s", strained, hold(Hold::panelNotReadLongEnough), PressureLevel::normal, 3.9},
        {"dwell not a number", strained, hold(Hold::panelNotReadLongEnough), PressureLevel::normal,
         std::numeric_limits<double>::quiet_NaN()},
        {"clock set back before the first launch", strained, hold(Hold::tooSoonAfterInstall),
         PressureLevel::normal, 4.0, daysAgo(10)},
        {"habit: 20 openings, 6 days", record(14, 20, 6, false), hold(Hold::notEnoughUse)},
        {"habit: 7 days, 9 openings", record(14, 9, 7, false), hold(Hold::notEnoughUse)},
        {"strain: 2 days", record(3.5, 4, 2, true), hold(Hold::notEnoughUse)},
        {"strain: 3 openings", record(3.5, 3, 3, true), hold(Hold::notEnoughUse)},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(evaluate(c.state, "0.1 (7)", c.level, c.dwell, c.now, kPolicy), c.expected)
            << c.name;
    }
}

TEST(ReviewPromptState, ReadsOnlyWellFormedRecords) {
    const std::string required = R"("panelOpens":2,"activeDays":["2025-03-01"],"sawStrain":true)";
    const ReviewPromptState expected{std::nullopt, 2, {"2025-03-01"}, true, {}, {}};
    const auto read = [](const std::string &text) { return ReviewPromptState::fromJSON(text); };
    EXPECT_EQ(read("{" + required + "}"), expected);
    EXPECT_EQ(read("{" + required + R"(,"lastRequestDate":null,"unknown":[1,2]})"), expected);
    EXPECT_EQ(read("{" + required + R"(,"firstLaunch":86400})")->firstLaunch, kReferenceDate + 24h);

    for (const char *text : {
             "",
             "[]",
             R"({"panelOpens":2,"activeDays":[]})",
             R"({"panelOpens":"2","activeDays":[],"sawStrain":false})",
             R"({"panelOpens":2.5,"activeDays":[],"sawStrain":false})",
             R"({"panelOpens":18446744073709551615,"activeDays":[],"sawStrain":false})",
             R"({"panelOpens":2,"activeDays":[3],"sawStrain":false})",
             R"({"panelOpens":2,"activeDays":[],"sawStrain":1})",
             R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"firstLaunch":"today"})",
             R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"firstLaunch":1e300})",
             R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"lastRequestVersion":7})",
             "{\"panelOpens\":2,\"activeDays\":[\"\xff\"],\"sawStrain\":false}",
         })
        EXPECT_EQ(read(text), std::nullopt) << text;
}

} // namespace
