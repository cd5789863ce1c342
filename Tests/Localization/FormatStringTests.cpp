#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "Util/FormatString.h"

namespace quorvel {
namespace {

// What it fills, and what it cannot fill and so writes back as it stands.
TEST(FormatString, FillsThePlaceholdersItCanAndWritesBackTheRest) {
    const struct {
        const char *format;
        std::vector<L10nArg> args;
        const char *expected;
    } cases[] = {
        {"%@ uses %@", {"Firefox", "2 GB"}, "Firefox uses 2 GB"},
        {"%ld, %lld, %d", {1, int64_t{-22}, 333}, "1, -22, 333"},
        {"%2$ld × %1$@ %2$ld", {"x", 7}, "7 × x 7"},
        {"%lld", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
        {"%ld", {std::numeric_limits<uint64_t>::max()}, "9223372036854775807"},
        {"%%%@%%", {"a"}, "%a%"},
        {"%@ and %ld", {5, "five"}, "5 and five"}, // the other kind is written as text
        {"%2$@ %@ %@", {"a", "b"}, "b a b"},       // sequential ones count on their own
        {"%@ and %@", {"one"}, "one and %@"},
        {"%3$@ %1$@", {"a"}, "%3$@ a"},
        {"%0$@", {"a"}, "%0$@"},
        {"%99999999999999999999999$ld", {"a"}, "%99999999999999999999999$ld"},
        {"%", {"a"}, "%"},
        {"tail %l", {1}, "tail %l"},
        {"%s %x %n %f %lu %1$s", {"a"}, "%s %x %n %f %lu %1$s"},
        {"%1$", {"a"}, "%1$"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(formatString(c.format, c.args), c.expected);
    }
}

} // namespace
} // namespace quorvel
