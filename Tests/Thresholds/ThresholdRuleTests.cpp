#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Model/ThresholdRule.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr char kRuleID[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

ThresholdRule firefoxRule() {
    return {*Uuid::parse(kRuleID),
            "/usr/share/applications/firefox.desktop",
            "Firefox",
            6442450944,
            300,
            RuleAction::suspend,
            true};
}

// One stored rule object with `replace` put over the well-formed fields
// (null drops the key).
std::string storedRule(const nlohmann::json &replace = nlohmann::json::object()) {
    nlohmann::json rule = {{"id", kRuleID},      {"appKey", "proc:worker"}, {"appName", "worker"},
                           {"limitBytes", 1024}, {"sustainedSeconds", 60},  {"action", "notify"},
                           {"isEnabled", false}};
    for (const auto &[key, value] : replace.items()) {
        if (value.is_null()) {
            rule.erase(key);
        } else {
            rule[key] = value;
        }
    }
    return "[" + rule.dump() + "]";
}

// The stored rule with `raw` written as it is for the value of `key`.
std::string storedRuleWritten(const char *key, const std::string &raw) {
    std::string json = storedRule({{key, "@"}});
    return json.replace(json.find("\"@\""), 3, raw);
}

TEST(RuleAction, StoredNamesDisplayKeysAndOrder) {
    EXPECT_EQ(kAllRuleActions,
              (std::array{RuleAction::notify, RuleAction::restart, RuleAction::suspend}));
    const std::tuple<RuleAction, const char *, const char *> names[] = {
        {RuleAction::notify, "notify", "pro.rules.action.notify"},
        {RuleAction::restart, "restart", "pro.rules.action.restart"},
        {RuleAction::suspend, "suspend", "pro.rules.action.suspend"},
    };
    for (const auto &[action, raw, key] : names) {
        EXPECT_EQ(rawValue(action), raw);
        EXPECT_EQ(ruleActionFromRaw(raw), action);
        EXPECT_EQ(displayKey(action), key);
    }
    for (const char *other : {"", "Notify", "freeze", "suspend ", "restart\n"})
        EXPECT_EQ(ruleActionFromRaw(other), std::nullopt) << other;
}

TEST(ThresholdRule, ChoiceListsAreTheOfferedLimitsAndTimes) {
    EXPECT_EQ(ThresholdRule::kLimitChoicesGB, (std::array<double, 7>{2, 3, 4, 6, 8, 12, 16}));
    EXPECT_EQ(ThresholdRule::kSustainedChoicesMinutes, (std::array<double, 4>{1, 5, 10, 30}));
}

TEST(ThresholdRule, SustainedLabelRoundsToWholeMinutesAndStaysSaneForOddTimes) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int64_t> cases[] = {
        {0, 0},
        {29, 0},
        {29.999, 0},
        {30, 1},
        {60, 1},
        {89.9, 1},
        {90, 2},
        {300, 5},
        {1800, 30},
        {-30, 0},
        {-90, 0},
        {nan, 0},
        {-inf, 0},
        {inf, kMax},
        {1e300, kMax},
        {5.6e20, kMax},
        {5.5e20 / 1e3, 9166666666666666},
        {std::numeric_limits<double>::denorm_min(), 0},
    };
    for (const auto &[seconds, minutes] : cases) {
        EXPECT_EQ(wholeMinutes(seconds), minutes) << seconds;
        ThresholdRule rule = firefoxRule();
        rule.sustainedSeconds = seconds;
        EXPECT_EQ(rule.sustainedLabel(), L10n::plural("pro.rules.minutes", minutes)) << seconds;
    }
}

TEST(ThresholdRuleJson, WritesCompactJsonWithTheSevenKeysAndAnUpperCaseId) {
    ThresholdRule lower = firefoxRule();
    lower.id = *Uuid::parse("6f9619ff-8b86-d011-b42d-00c04fc964ff");
    EXPECT_EQ(encodeRules({lower}),
              "[{\"action\":\"suspend\",\"appKey\":\"/usr/share/applications/firefox.desktop\","
              "\"appName\":\"Firefox\",\"id\":\"6F9619FF-8B86-D011-B42D-00C04FC964FF\","
              "\"isEnabled\":true,\"limitBytes\":6442450944,\"sustainedSeconds\":300.0}]");
    EXPECT_EQ(encodeRules({}), "[]");
}

TEST(ThresholdRuleJson, RoundTripsEveryValueARuleCanHold) {
    std::vector<ThresholdRule> rules;
    for (RuleAction action : kAllRuleActions) {
        rules.push_back({Uuid::random(), "proc:a\"b\\c/d", "\u65e5\u672c \U0001F600 \t\n", 0, 0.125,
                         action, false});
    }
    rules.push_back({Uuid::random(), "", "", std::numeric_limits<uint64_t>::max(), 1e300,
                     RuleAction::restart, true});
    rules.push_back({Uuid::random(), "k", "n", std::numeric_limits<uint64_t>::max() - 1, -45.5,
                     RuleAction::notify, true});
    rules.push_back({Uuid::random(), "k", "n", 1, std::numeric_limits<double>::min(),
                     RuleAction::suspend, true});
    rules.push_back(rules.front()); // the same id twice is kept as it is
    const std::optional<std::string> json = encodeRules(rules);
    ASSERT_TRUE(json);
    EXPECT_EQ(decodeRules(*json), rules);
}

TEST(ThresholdRuleJson, ATimeThatIsNotAFiniteNumberCannotBeWritten) {
    for (double seconds :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        ThresholdRule rule = firefoxRule();
        rule.sustainedSeconds = seconds;
        EXPECT_EQ(encodeRules({firefoxRule(), rule}), std::nullopt) << seconds;
    }
}

TEST(ThresholdRuleJson, ReadsKeysInAnyOrderSkipsUnknownKeysAndTakesEscapedSlashes) {
    const std::string json =
        R"( [ {"isEnabled":true, "extra":{"deep":[[[{"x":null}]]], "n":-1},
               "action":"restart", "sustainedSeconds":1.5e2, "limitBytes":4e3,
               "appName":"Tool", "appKey":"\/opt\/tool\/tool.desktop",
               "id":"6f9619ff-8b86-d011-b42d-00c04fc964ff", "more":[1,"two",false]},
              {"id":"00000000-0000-0000-0000-000000000001","appKey":"proc:x","appName":"x",
               "limitBytes":18446744073709551615,"sustainedSeconds":-7,"action":"notify",
               "isEnabled":false} ] )";
    const std::optional<std::vector<ThresholdRule>> rules = decodeRules(json);
    ASSERT_TRUE(rules);
    ASSERT_EQ(rules->size(), 2u);
    EXPECT_EQ((*rules)[0], (ThresholdRule{*Uuid::parse(kRuleID), "/opt/tool/tool.desktop", "Tool",
                                          4000, 150, RuleAction::restart, true}));
    EXPECT_EQ((*rules)[1].limitBytes, std::numeric_limits<uint64_t>::max());
    EXPECT_EQ((*rules)[1].sustainedSeconds, -7);
    EXPECT_EQ(decodeRules("[]"), std::vector<ThresholdRule>{});
}

TEST(ThresholdRuleJson, AnythingOutOfShapeMakesTheWholeArrayUnreadable) {
    std::vector<std::pair<std::string, std::string>> cases;
    for (const char *key :
         {"id", "appKey", "appName", "limitBytes", "sustainedSeconds", "action", "isEnabled"})
        cases.push_back({std::string("without ") + key, storedRule({{key, nullptr}})});
    const std::pair<const char *, nlohmann::json> wrong[] = {
        {"id", 7},
        {"id", "6F9619FF8B86D011B42D00C04FC964FF"},
        {"id", "6F9619FF-8B86-D011-B42D-00C04FC964F"},
        {"id", "not-a-uuid-at-all-but-36-characters!"},
        {"appKey", false},
        {"appName", nlohmann::json::array({"x"})},
        {"limitBytes", -1},
        {"limitBytes", 1.5},
        {"limitBytes", 18446744073709551616.0},
        {"limitBytes", "1024"},
        {"sustainedSeconds", "60"},
        {"sustainedSeconds", true},
        {"sustainedSeconds", nlohmann::json::object()},
        {"action", "freeze"},
        {"action", "Notify"},
        {"action", 0},
        {"isEnabled", "true"},
        {"isEnabled", 1},
    };
    for (const auto &[key, value] : wrong)
        cases.push_back({std::string(key) + " = " + value.dump(), storedRule({{key, value}})});
    const std::string good = storedRule();
    cases.insert(
        cases.end(),
        {
            {"nothing", ""},
            {"null", "null"},
            {"an object", good.substr(1, good.size() - 2)},
            {"a rule that is not an object", "[" + good + "]"},
            {"a number in the array", "[" + good.substr(1, good.size() - 2) + ",3]"},
            {"truncated", good.substr(0, good.size() - 3)},
            {"unclosed", good.substr(0, good.size() - 1)},
            {"trailing garbage", good + "x"},
            {"two arrays", good + good},
            {"a comment", "/* */" + good},
            {"a time too large for a number", storedRuleWritten("sustainedSeconds", "1e400")},
            {"invalid UTF-8 in a name", storedRuleWritten("appName", "\"a\xff\"")},
            {"invalid UTF-8 outside", "\xc3" + good},
            {"a lone surrogate", storedRuleWritten("appName", "\"\\ud800\"")},
        });
    for (const auto &[name, json] : cases) EXPECT_EQ(decodeRules(json), std::nullopt) << name;
}

TEST(ThresholdRuleJson, TenMegabytesOfGarbageAreRejectedWithoutHarm) {
    constexpr std::size_t kSize = 10u << 20;
    std::mt19937 generator(7);
    std::string random(kSize, '\0');
    for (char &byte : random) byte = static_cast<char>(generator());
    const std::string prefix = storedRule().substr(0, storedRule().size() - 1) + ",";
    const std::pair<const char *, std::string> cases[] = {
        {"random bytes", random},
        {"deep nesting", std::string(kSize, '[')},
        {"deep nesting inside an unknown key",
         "[{\"x\":" + std::string(kSize / 10, '[') + std::string(kSize / 10, ']') + "}]"},
        {"a very long unclosed string", "[{\"appName\":\"" + std::string(kSize, 'a')},
        {"many good rules cut short",
         [&] {
             std::string json = prefix;
             while (json.size() < kSize) json += prefix.substr(1);
             return json;
         }()},
    };
    for (const auto &[name, json] : cases) EXPECT_EQ(decodeRules(json), std::nullopt) << name;
}

} // namespace
} // namespace quorvel
