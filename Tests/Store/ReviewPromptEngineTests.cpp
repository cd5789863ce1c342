#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "Engine/ReviewPromptEngine.h"

namespace {

using namespace std::chrono_literals;
using quorvel::Date;
using quorvel::PressureLevel;
using quorvel::ReviewPromptState;
using namespace quorvel::ReviewPromptEngine;

const Policy kPolicy{3.0, 3, 4, 14.0, 7, 10, 4.0, 120.0};
const Date kNow = Date(std::chrono::seconds(1'750'000'000));

Date daysAgo(double days) {
    return kNow - std::chrono::duration_cast<Date::duration>(
                      std::chrono::duration<double>(days * kSecondsPerDay));
}

std::vector<std::string> days(int count) {
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) keys.push_back("2025-01-" + std::to_string(10 + i));
    return keys;
}

// Qualifies through the strain thresholds, with nothing to spare.
ReviewPromptState strained() {
    ReviewPromptState state;
    state.firstLaunch = daysAgo(3.5);
    state.panelOpens = 4;
    state.activeDays = days(3);
    state.sawStrain = true;
    return state;
}

// Qualifies through the habit thresholds, with nothing to spare.
ReviewPromptState habitual() {
    ReviewPromptState state;
    state.firstLaunch = daysAgo(14);
    state.panelOpens = 10;
    state.activeDays = days(7);
    return state;
}

template <typename Change> ReviewPromptState with(ReviewPromptState state, Change change) {
    change(state);
    return state;
}

struct Case {
    const char *name;
    ReviewPromptState state;
    PressureLevel level = PressureLevel::normal;
    double dwell = 4.0;
    Date now = kNow;
    Outcome expected;
};

TEST(ReviewPromptEngineTest, DecidesByTheFirstCheckThatHolds) {
    const auto hold = Outcome::holding;
    const Case cases[] = {
        {"fresh record", ReviewPromptState{}, PressureLevel::critical, 0, kNow,
         hold(Hold::noFirstLaunchRecorded)},
        {"strain set met exactly", strained(), PressureLevel::normal, 4.0, kNow, Outcome::ask()},
        {"habit set met exactly", habitual(), PressureLevel::normal, 4.0, kNow, Outcome::ask()},
        {"no strain: habit set applies", with(strained(), [](auto &s) { s.sawStrain = false; }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::tooSoonAfterInstall)},
        {"asked for this version years ago",
         with(strained(),
              [](auto &s) {
                  s.lastRequestVersion = "0.1 (7)";
                  s.lastRequestDate = daysAgo(2000);
              }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::alreadyAskedThisVersion)},
        {"other version 119 days ago",
         with(strained(),
              [](auto &s) {
                  s.lastRequestVersion = "0.0 (1)";
                  s.lastRequestDate = daysAgo(119);
              }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::askedRecently)},
        {"other version exactly 120 days ago",
         with(strained(),
              [](auto &s) {
                  s.lastRequestVersion = "0.0 (1)";
                  s.lastRequestDate = daysAgo(120);
              }),
         PressureLevel::normal, 4.0, kNow, Outcome::ask()},
        {"warning pressure", strained(), PressureLevel::warning, 4.0, kNow,
         hold(Hold::memoryUnderStrain)},
        {"critical pressure", strained(), PressureLevel::critical, 4.0, kNow,
         hold(Hold::memoryUnderStrain)},
        {"dwell 3.9 s", strained(), PressureLevel::normal, 3.9, kNow,
         hold(Hold::panelNotReadLongEnough)},
        {"dwell not a number", strained(), PressureLevel::normal,
         std::numeric_limits<double>::quiet_NaN(), kNow, hold(Hold::panelNotReadLongEnough)},
        {"clock set back before first launch", strained(), PressureLevel::normal, 4.0, daysAgo(10),
         hold(Hold::tooSoonAfterInstall)},
        {"habit: 20 openings, 6 days",
         with(habitual(), [](auto &s) { s.panelOpens = 20, s.activeDays = days(6); }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::notEnoughUse)},
        {"habit: 7 days, 9 openings", with(habitual(), [](auto &s) { s.panelOpens = 9; }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::notEnoughUse)},
        {"strain: 2 days", with(strained(), [](auto &s) { s.activeDays = days(2); }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::notEnoughUse)},
        {"strain: 3 openings", with(strained(), [](auto &s) { s.panelOpens = 3; }),
         PressureLevel::normal, 4.0, kNow, hold(Hold::notEnoughUse)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(evaluate(c.state, "0.1 (7)", c.level, c.dwell, c.now, kPolicy), c.expected)
            << c.name;
    }
}

TEST(ReviewPromptStateTest, RoundTripsThroughJSONWithDatesSince2001) {
    ReviewPromptState state = strained();
    state.lastRequestVersion = "1.4 (27)";
    state.lastRequestDate = Date(std::chrono::seconds(978307200) + 1500ms);
    const std::string json = state.toJSON().value();
    EXPECT_NE(json.find("\"lastRequestDate\":1.5"), std::string::npos) << json;
    EXPECT_EQ(ReviewPromptState::fromJSON(json), state);

    // Absent optionals stay out of the text and read back as none.
    const std::string bare = ReviewPromptState{}.toJSON().value();
    EXPECT_EQ(bare.find("firstLaunch"), std::string::npos);
    EXPECT_EQ(bare.find("lastRequest"), std::string::npos);
    EXPECT_EQ(ReviewPromptState::fromJSON(bare), ReviewPromptState{});
}

TEST(ReviewPromptStateTest, ReadsOnlyWellFormedRecords) {
    const std::string required = R"("panelOpens":2,"activeDays":["2025-03-01"],"sawStrain":true)";
    ReviewPromptState expected;
    expected.panelOpens = 2;
    expected.activeDays = {"2025-03-01"};
    expected.sawStrain = true;
    const auto read = [](const std::string &text) { return ReviewPromptState::fromJSON(text); };

    EXPECT_EQ(read("{" + required + "}"), expected);
    EXPECT_EQ(read("{" + required + R"(,"lastRequestDate":null,"unknown":[1,2]})"), expected);
    expected.firstLaunch = Date(std::chrono::seconds(978307200 + 86400));
    EXPECT_EQ(read("{" + required + R"(,"firstLaunch":86400})"), expected);

    const char *unreadable[] = {
        "",
        "not json",
        "[]",
        R"({"panelOpens":2,"activeDays":[]})",
        R"({"activeDays":[],"sawStrain":false})",
        R"({"panelOpens":null,"activeDays":[],"sawStrain":false})",
        R"({"panelOpens":"2","activeDays":[],"sawStrain":false})",
        R"({"panelOpens":2.5,"activeDays":[],"sawStrain":false})",
        R"({"panelOpens":18446744073709551615,"activeDays":[],"sawStrain":false})",
        R"({"panelOpens":2,"activeDays":[3],"sawStrain":false})",
        R"({"panelOpens":2,"activeDays":[],"sawStrain":1})",
        R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"firstLaunch":"today"})",
        R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"firstLaunch":1e300})",
        R"({"panelOpens":2,"activeDays":[],"sawStrain":false,"lastRequestVersion":7})",
        "{\"panelOpens\":2,\"activeDays\":[\"\xff\"],\"sawStrain\":false}",
    };
    for (const char *text : unreadable) EXPECT_EQ(read(text), std::nullopt) << text;

    // A version string that is not UTF-8 cannot be written at all.
    ReviewPromptState broken;
    broken.lastRequestVersion = "\xc3";
    EXPECT_EQ(broken.toJSON(), std::nullopt);
}

TEST(ReviewPromptStateTest, DayKeysAreLocalCalendarDates) {
    const char *saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    // 2024-12-31 20:30 UTC is already New Year's Day in Tokyo.
    const Date evening = Date(std::chrono::seconds(1735677000));
    EXPECT_EQ(quorvel::dayKey(evening), "2025-01-01");
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    EXPECT_EQ(quorvel::dayKey(evening), "2024-12-31");
    EXPECT_EQ(quorvel::dayKey(Date(std::chrono::seconds(978307200))), "2001-01-01");
    if (saved) {
        ::setenv("TZ", previous.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

} // namespace
