#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <limits>
#include <string>
#include <vector>

#include "Model/ThresholdRule.h"

namespace quorvel {
namespace {

constexpr char kRuleID[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

// One stored rule object with `replace` put over the well-formed fields
// (null drops the key).
std::string storedRule(const nlohmann::json &replace = nlohmann::json::object()) {
    nlohmann::json rule = {{"id", kRuleID},      {"appKey", "proc:worker"}, {"appName", "worker"},
                           {"limitBytes", 1024}, {"sustainedSeconds", 60},  {"action", "notify"},
                           {"isEnabled", false}};
    rule.merge_patch(replace);
    return "[" + rule.dump() + "]";
}

// The stored rule with `raw` written as it is for the value of `key`.
std::string storedRuleWritten(const char *key, const std::string &raw) {
    std::string json = storedRule({{key, "@"}});
    return json.replace(json.find("\"@\""), 3, raw);
}

TEST(ThresholdRule, WholeMinutesRoundAndStaySaneForOddTimes) {
    using limits = std::numeric_limits<double>;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kBig = 9166666666666666;
    const double inf = limits::infinity(), nan = limits::quiet_NaN(), tiny = limits::denorm_min();
    const std::pair<double, int64_t> cases[] = {
        {0, 0},   {29.999, 0}, {30, 1},     {89.9, 1}, {90, 2},        {1800, 30},    {-90, 0},
        {nan, 0}, {-inf, 0},   {inf, kMax}, {tiny, 0}, {5.6e20, kMax}, {5.5e17, kBig}};
    for (const auto &[seconds, minutes] : cases)
        EXPECT_EQ(wholeMinutes(seconds), minutes) << seconds;
}

TEST(ThresholdRuleJson, RoundTripsEveryValueReadsKeysInAnyOrderAndWritesNoTimeThatIsNotFinite) {
    std::vector<ThresholdRule> rules;
    for (RuleAction action : kAllRuleActions) {
        rules.push_back({Uuid::random(), "proc:a\"b\\c/d", "\u65e5\u672c \U0001F600 \t\n", 0, 0.125,
                         action, false});
    }
    rules.push_back({Uuid::random(), "", "", std::numeric_limits<uint64_t>::max(), 1e300,
                     RuleAction::restart, true});
    rules.push_back(rules.front()); // the same id twice is kept as it is
    const std::optional<std::string> json = encodeRules(rules);
    ASSERT_TRUE(json);
    EXPECT_EQ(decodeRules(*json), rules);
    EXPECT_EQ(decodeRules(*encodeRules({})), std::vector<ThresholdRule>{});
    // As another writer may lay it out: keys in any order, unknown ones, other notations.
    EXPECT_EQ(decodeRules(R"( [ {"isEnabled":true, "extra":{"deep":[[[{"x":null}]]], "n":-1},
               "action":"restart", "sustainedSeconds":1.5e2, "limitBytes":4e3,
               "appName":"Tool", "appKey":"\/opt\/tool\/tool.desktop",
               "id":"6f9619ff-8b86-d011-b42d-00c04fc964ff", "more":[1,"two",false]} ] )"),
              std::vector<ThresholdRule>({{*Uuid::parse(kRuleID), "/opt/tool/tool.desktop", "Tool",
                                           4000, 150, RuleAction::restart, true}}));

    for (double seconds :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        rules.back().sustainedSeconds = seconds;
        EXPECT_EQ(encodeRules(rules), std::nullopt) << seconds;
    }
}

TEST(ThresholdRuleJson, AnythingOutOfShapeMakesTheWholeArrayUnreadableWithoutHarm) {
    const std::string good = storedRule(), inner = good.substr(1, good.size() - 2);
    constexpr std::size_t kBig = 10u << 20;
    std::vector<std::pair<std::string, std::string>> cases = {
        {"nothing", ""},
        {"an object", inner},
        {"a rule that is not an object", "[" + good + "]"},
        {"truncated", good.substr(0, good.size() - 3)},
        {"trailing garbage", good + "x"},
        {"a time too large for a number", storedRuleWritten("sustainedSeconds", "1e400")},
        {"invalid UTF-8 in a name", storedRuleWritten("appName", "\"a\xff\"")},
        {"a lone surrogate", storedRuleWritten("appName", "\"\\ud800\"")},
        {"10 MB of nesting", std::string(kBig, '[')},
        {"nesting in an unknown key",
         "[{\"x\":" + std::string(kBig / 10, '[') + std::string(kBig / 10, ']') + "}]"},
        {"an unclosed 10 MB string", "[{\"appName\":\"" + std::string(kBig, 'a')},
    };
    for (const char *key :
         {"id", "appKey", "appName", "limitBytes", "sustainedSeconds", "action", "isEnabled"})
        cases.push_back({std::string("without ") + key, storedRule({{key, nullptr}})});
    const nlohmann::json wrong = nlohmann::json::parse(R"([
        ["id", 7], ["id", "not-a-uuid-at-all-but-36-characters!"], ["appKey", false],
        ["appName", ["x"]], ["limitBytes", -1], ["limitBytes", 1.5], ["limitBytes", "1024"],
        ["limitBytes", 18446744073709551616.0], ["sustainedSeconds", "60"],
        ["sustainedSeconds", true], ["action", "Notify"], ["isEnabled", 1]])");
    for (const nlohmann::json &pair : wrong)
        cases.push_back({pair.dump(), storedRule({{pair[0], pair[1]}})});
    for (const auto &[name, json] : cases) EXPECT_EQ(decodeRules(json), std::nullopt) << name;
}

} // namespace
} // namespace quorvel
