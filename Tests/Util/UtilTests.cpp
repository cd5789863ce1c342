#include <gtest/gtest.h>

#include <string>

#include "Util/Utf8.h"
#include "Util/Uuid.h"

namespace quorvel {
namespace {

// Stray continuation bytes, sequences cut short, overlong forms, surrogates,
// code points above U+10FFFF and bytes that never start a sequence.
TEST(Utf8, KeepsWellFormedTextAndReplacesEachBrokenPartOnce) {
    const std::string r = "\uFFFD", nul("nul\0inside", 10);
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"Gr\u00fc\u00dfe \u65e5\u672c \U0001F600", "Gr\u00fc\u00dfe \u65e5\u672c \U0001F600"},
        {nul, nul}, {"a\x80\xbfz", "a" + r + r + "z"}, {"\xc3", r}, {"\xe2\x82(", r + "("},
        {"\xf0\x9f\x98", r}, {"\xc0\xaf", r + r}, {"\xe0\x80\xaf", r + r + r},
        {"\xed\xa0\x80", r + r + r}, {"\xf4\x90\x80\x80", r + r + r + r},
        {"\xf5\x80\xff", r + r + r}, {"ok\xe2\x82\xac\xe2\x82", "ok\u20ac" + r}};
    // clang-format on
    for (const auto &[bytes, expected] : cases)
        EXPECT_EQ(utf8WithReplacements(bytes), expected) << testing::PrintToString(bytes);
}

TEST(Uuid, ReadsOnlyTheCanonicalTextInEitherCase) {
    const Uuid known{0x0123456789ABCDEFull, 0xFEDCBA9876543210ull};
    EXPECT_EQ(Uuid::parse("01234567-89ab-cdef-fedc-ba9876543210"), known) << "lower case";
    for (const char *text :
         {"", "0123456789ABCDEFFEDCBA9876543210", "01234567-89AB-CDEF-FEDC-BA987654321",
          "01234567-89AB-CDEF-FEDC-BA98765432100", "0123456-789AB-CDEF-FEDC-BA9876543210",
          "01234567-89AB-CDEF-FEDC_BA9876543210", "01234567-89AB-CDEF-FEDC-BA987654321G",
          " 1234567-89AB-CDEF-FEDC-BA9876543210", "+1234567-89AB-CDEF-FEDC-BA9876543210"})
        EXPECT_EQ(Uuid::parse(text), std::nullopt) << text;
}

} // namespace
} // namespace quorvel
