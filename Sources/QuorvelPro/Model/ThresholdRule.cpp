#include "Model/ThresholdRule.h"

#include <nlohmann/json.hpp>

#include <bitset>
#include <cmath>
#include <limits>
#include <utility>

#include "Util/L10n.h"

namespace quorvel {
namespace {

using Json = nlohmann::json;

struct ActionNames {
    RuleAction action;
    std::string_view raw;
    std::string_view displayKey;
};

constexpr std::array<ActionNames, 3> kActions{{
    {RuleAction::notify, "notify", "pro.rules.action.notify"},
    {RuleAction::restart, "restart", "pro.rules.action.restart"},
    {RuleAction::suspend, "suspend", "pro.rules.action.suspend"},
}};

const ActionNames &namesOf(RuleAction action) {
    for (const ActionNames &names : kActions) {
        if (names.action == action) return names;
    }
    return kActions.front();
}

// The keys of a stored rule, in the order of its fields.
enum class Field { id, appKey, appName, limitBytes, sustainedSeconds, action, isEnabled, count };

constexpr std::array<std::string_view, static_cast<std::size_t>(Field::count)> kKeys{
    "id", "appKey", "appName", "limitBytes", "sustainedSeconds", "action", "isEnabled"};

std::optional<Field> fieldNamed(std::string_view key) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == key) return static_cast<Field>(i);
    }
    return std::nullopt;
}

// 2^64: the first whole number an unsigned 64-bit limit cannot hold.
constexpr double kLimitBytesEnd = 18446744073709551616.0;

// Reads the rules straight from the parser's events, so that the values of
// unknown keys, however deeply nested, cost no more than skipping them.
// Returning false ends the parse: the whole array is then unreadable.
class RulesReader final : public nlohmann::json_sax<Json> {
public:
    std::vector<ThresholdRule> rules;

    bool null() override { return scalar(); }
    bool binary(binary_t &) override { return scalar(); }

    bool boolean(bool value) override {
        if (!atKnownValue()) return scalar();
        if (field_ != Field::isEnabled) return false;
        rule_.isEnabled = value;
        return mark();
    }

    bool number_integer(number_integer_t value) override {
        // The parser hands over only negative numbers here.
        if (!atKnownValue()) return scalar();
        return seconds(static_cast<double>(value));
    }

    bool number_unsigned(number_unsigned_t value) override {
        if (!atKnownValue()) return scalar();
        if (field_ == Field::limitBytes) {
            rule_.limitBytes = value;
            return mark();
        }
        return seconds(static_cast<double>(value));
    }

    bool number_float(number_float_t value, const string_t &) override {
        if (!atKnownValue()) return scalar();
        if (field_ == Field::limitBytes) {
            const bool whole = value >= 0 && value < kLimitBytesEnd && std::floor(value) == value;
            if (!whole) return false;
            rule_.limitBytes = static_cast<uint64_t>(value);
            return mark();
        }
        return seconds(value);
    }

    bool string(string_t &value) override {
        if (!atKnownValue()) return scalar();
        switch (*field_) {
        case Field::id: {
            const std::optional<Uuid> id = Uuid::parse(value);
            if (!id) return false;
            rule_.id = *id;
            return mark();
        }
        case Field::appKey: rule_.appKey = std::move(value); return mark();
        case Field::appName: rule_.appName = std::move(value); return mark();
        case Field::action: {
            const std::optional<RuleAction> action = ruleActionFromRaw(value);
            if (!action) return false;
            rule_.action = *action;
            return mark();
        }
        default: return false;
        }
    }

    bool start_object(std::size_t) override {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            rule_ = {};
            seen_.reset();
        } else if (atKnownValue()) {
            return false;
        }
        ++depth_;
        return true;
    }

    bool start_array(std::size_t) override {
        if (depth_ == 1 || atKnownValue()) return false;
        ++depth_;
        return true;
    }

    bool end_object() override {
        --depth_;
        if (depth_ != 1) return true;
        if (!seen_.all()) return false;
        rules.push_back(std::move(rule_));
        return true;
    }

    bool end_array() override {
        --depth_;
        return true;
    }

    bool key(string_t &value) override {
        if (depth_ == 2) field_ = fieldNamed(value);
        return true;
    }

    bool parse_error(std::size_t, const std::string &,
                     const nlohmann::detail::exception &) override {
        return false;
    }

private:
    // A value of a known key of the rule object being read.
    bool atKnownValue() const { return depth_ == 2 && field_.has_value(); }

    // A value nobody asked for: fine inside a rule, wrong in its place.
    bool scalar() const { return depth_ >= 2 && !atKnownValue(); }

    bool seconds(double value) {
        // An overflowing literal reads as infinite; no stored time is that.
        if (field_ != Field::sustainedSeconds || !std::isfinite(value)) return false;
        rule_.sustainedSeconds = value;
        return mark();
    }

    bool mark() {
        seen_.set(static_cast<std::size_t>(*field_));
        return true;
    }

    std::size_t depth_ = 0;
    std::optional<Field> field_;
    ThresholdRule rule_;
    std::bitset<static_cast<std::size_t>(Field::count)> seen_;
};

} // namespace

std::string_view rawValue(RuleAction action) {
    return namesOf(action).raw;
}

std::optional<RuleAction> ruleActionFromRaw(std::string_view raw) {
    for (const ActionNames &names : kActions) {
        if (names.raw == raw) return names.action;
    }
    return std::nullopt;
}

std::string_view displayKey(RuleAction action) {
    return namesOf(action).displayKey;
}

std::string ThresholdRule::sustainedLabel() const {
    return L10n::plural("pro.rules.minutes", wholeMinutes(sustainedSeconds));
}

int64_t wholeMinutes(double seconds) {
    if (!(seconds > 0)) return 0;
    const double minutes = std::round(seconds / 60);
    // 2^63, the first count past the signed 64-bit range.
    if (minutes >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(minutes);
}

std::optional<std::string> encodeRules(const std::vector<ThresholdRule> &rules) {
    Json array = Json::array();
    for (const ThresholdRule &rule : rules) {
        if (!std::isfinite(rule.sustainedSeconds)) return std::nullopt;
        array.push_back({{"id", rule.id.text()},
                         {"appKey", rule.appKey},
                         {"appName", rule.appName},
                         {"limitBytes", rule.limitBytes},
                         {"sustainedSeconds", rule.sustainedSeconds},
                         {"action", rawValue(rule.action)},
                         {"isEnabled", rule.isEnabled}});
    }
    // A name that is not valid UTF-8 is kept readable rather than losing
    // every rule to it.
    return array.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<std::vector<ThresholdRule>> decodeRules(std::string_view json) {
    RulesReader reader;
    if (!Json::sax_parse(json.begin(), json.end(), &reader)) return std::nullopt;
    return std::move(reader.rules);
}

} // namespace quorvel
