#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Util/FormatString.h"

namespace quorvel {
namespace {

std::string format(std::string_view text, std::vector<L10nArg> args) {
    return formatString(text, args);
}

TEST(FormatString, SubstitutesTheSupportedPlaceholders) {
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    struct Case {
        const char *format;
        std::vector<L10nArg> args;
        const char *expected;
    };
    const Case cases[] = {
        {"%@ uses %@", {"Firefox", "2 GB"}, "Firefox uses 2 GB"},
        {"%ld, %lld, %d", {1, int64_t{-22}, 333}, "1, -22, 333"},
        {"%2$@ before %1$@", {"one", "two"}, "two before one"},
        {"%2$ld × %1$@ %2$ld", {"x", 7}, "7 × x 7"},
        {"%lld", {kMin}, "-9223372036854775808"},
        {"%ld", {std::numeric_limits<uint64_t>::max()}, "9223372036854775807"},
        {"100%% of %@", {"it"}, "100% of it"},
        {"%%%@%%", {"a"}, "%a%"},
        {"%01$@", {"padded"}, "padded"},
        // The other kind of argument is written as text.
        {"%@ and %ld", {5, "five"}, "5 and five"},
        // Sequential placeholders count on their own beside positional ones.
        {"%2$@ %@ %@", {"a", "b"}, "b a b"},
        {"", {"unused"}, ""},
        {"no placeholders", {"unused"}, "no placeholders"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(format(c.format, c.args), c.expected);
    }
}

TEST(FormatString, WritesBackWhatItCannotFill) {
    struct Case {
        const char *format;
        std::vector<L10nArg> args;
        const char *expected;
    };
    const Case cases[] = {
        {"%@ and %@", {"one"}, "one and %@"},
        {"%3$@ %1$@", {"a"}, "%3$@ a"},
        {"%ld", {}, "%ld"},
        {"%0$@", {"a"}, "%0$@"},
        {"%1000$@", {"a"}, "%1000$@"},
        {"%99999999999999999999999$ld", {"a"}, "%99999999999999999999999$ld"},
        {"%-1$@", {"a"}, "%-1$@"},
        {"50 % off", {"a"}, "50 % off"},
        {"%", {"a"}, "%"},
        {"tail %l", {1}, "tail %l"},
        {"%s %x %n %f %lu %1$s", {"a"}, "%s %x %n %f %lu %1$s"},
        {"%1$", {"a"}, "%1$"},
        {"%1", {"a"}, "%1"},
        {"%$@", {"a"}, "%$@"},
        {"%5@", {"a"}, "%5@"},
        {"%llld", {1}, "%llld"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(format(c.format, c.args), c.expected);
    }
}

// Hostile input: random bytes weighted towards placeholder syntax, and random
// argument lists. Under the sanitizers any read past the arguments or the
// format string fails the run.
TEST(FormatString, SurvivesRandomFormatsAndArguments) {
    std::mt19937_64 random(20240611);
    const std::string alphabet = "%%%%$$@@lldd0123456789 x\xff\xe2\x80";
    const std::vector<std::string> texts{"", "a", "%@", "%%", "%1$ld", std::string("\0z", 2)};
    auto pick = [&](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text(pick(24), '\0');
        for (char &c : text)
            c = pick(8) == 0 ? static_cast<char>(random()) : alphabet[pick(alphabet.size())];
        std::vector<L10nArg> args;
        for (std::size_t i = pick(4); i > 0; --i) {
            if (pick(2) == 0) {
                args.emplace_back(texts[pick(texts.size())]);
            } else {
                args.emplace_back(static_cast<int64_t>(random()));
            }
        }
        SCOPED_TRACE(text);
        const std::string out = formatString(text, args);
        EXPECT_EQ(out, formatString(text, args));
        if (args.empty()) {
            // With nothing to substitute only "%%" changes.
            std::string expected;
            for (std::size_t i = 0; i < text.size(); ++i) {
                expected += text[i];
                if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
            }
            EXPECT_EQ(out, expected);
        }
        if (text.find('%') == std::string::npos) {
            EXPECT_EQ(out, text);
        }
    }
}

// Well-formed formats built from tokens with known results: checks the
// substitution itself at random, beyond the hand-written cases.
TEST(FormatString, MatchesTokenByTokenExpectations) {
    std::mt19937_64 random(7);
    auto pick = [&](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
    };
    const std::vector<std::string> argTexts{"Mail", "1.2 GB", "", "+300 MB"};
    for (int round = 0; round < 5000; ++round) {
        std::vector<L10nArg> args;
        std::vector<std::string> rendered;
        for (std::size_t i = pick(4); i > 0; --i) {
            if (pick(2) == 0) {
                const std::string &text = argTexts[pick(argTexts.size())];
                args.emplace_back(text);
                rendered.push_back(text);
            } else {
                const auto number = static_cast<int64_t>(pick(2001)) - 1000;
                args.emplace_back(number);
                rendered.push_back(std::to_string(number));
            }
        }
        std::string text;
        std::string expected;
        std::size_t sequential = 0;
        for (std::size_t token = pick(8); token > 0; --token) {
            const std::size_t kind = pick(4);
            if (kind == 0) {
                text += " word ";
                expected += " word ";
            } else if (kind == 1) {
                text += "%%";
                expected += "%";
            } else {
                const bool positional = kind == 3;
                const std::size_t index = positional ? pick(5) : sequential++;
                const std::string conversion =
                    std::vector<std::string>{"@", "d", "ld", "lld"}[pick(4)];
                const std::string placeholder =
                    "%" + (positional ? std::to_string(index + 1) + "$" : "") + conversion;
                text += placeholder;
                expected += index < rendered.size() ? rendered[index] : placeholder;
            }
        }
        SCOPED_TRACE(text);
        EXPECT_EQ(formatString(text, args), expected);
    }
}

} // namespace
} // namespace quorvel
