#include <gtest/gtest.h>

#include <string>

#include "Util/Utf8.h"

namespace quorvel {
namespace {

TEST(Utf8, KeepsWellFormedTextAndReplacesEachBrokenPartOnce) {
    const std::string r = "\uFFFD";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain ascii", "plain ascii"},
        {"Gr\u00fc\u00dfe \u65e5\u672c \U0001F600", "Gr\u00fc\u00dfe \u65e5\u672c \U0001F600"},
        {std::string("nul\0inside", 10), std::string("nul\0inside", 10)},
        {"\x80", r}, // stray continuation byte
        {"a\xbf\xbf"
         "b",
         "a" + r + r + "b"}, // each stray byte on its own
        {"\xc3", r},         // cut off at the end
        {"\xc3(", r + "("},  // broken second byte
        {"\xe2\x82", r},     // two of three, one replacement
        {"\xe2\x82(", r + "("},
        {"\xf0\x9f\x98", r}, // three of four
        {"\xc0\xaf", r + r}, // overlong forms
        {"\xe0\x80\xaf", r + r + r},
        {"\xed\xa0\x80", r + r + r},         // a surrogate
        {"\xf4\x90\x80\x80", r + r + r + r}, // above U+10FFFF
        {"\xf5\x80", r + r},                 // bytes that never start one
        {"\xff\xfe", r + r},
        {"ok\xe2\x82\xac\xe2\x82", "ok\u20ac" + r},
    };
    for (const auto &[bytes, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(utf8WithReplacements(bytes), expected);
    }
}

} // namespace
} // namespace quorvel
