#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "Util/Uuid.h"

namespace quorvel {
namespace {

TEST(Uuid, RandomIdentifiersAreFreshVersionFourAndWrittenInCanonicalUpperCase) {
    const std::regex canonical(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid uuid = Uuid::random();
        const std::string text = uuid.text();
        EXPECT_TRUE(std::regex_match(text, canonical)) << text;
        EXPECT_EQ(Uuid::parse(text), uuid);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(Uuid, ReadsTheCanonicalFormInEitherCaseAndNothingElse) {
    const Uuid expected{0x0123456789ABCDEFull, 0xFEDCBA9876543210ull};
    EXPECT_EQ(Uuid::parse("01234567-89AB-CDEF-FEDC-BA9876543210"), expected);
    EXPECT_EQ(Uuid::parse("01234567-89ab-cdef-fedc-ba9876543210"), expected);
    EXPECT_EQ(expected.text(), "01234567-89AB-CDEF-FEDC-BA9876543210");
    EXPECT_EQ(Uuid{}.text(), "00000000-0000-0000-0000-000000000000");
    for (const char *text :
         {"", "0123456789ABCDEFFEDCBA9876543210",
          "01234567-89AB-CDEF-FEDC-BA987654321",   // one digit short
          "01234567-89AB-CDEF-FEDC-BA98765432100", // one too many
          "0123456-789AB-CDEF-FEDC-BA9876543210",  // dash misplaced
          "01234567-89AB-CDEF-FEDC_BA9876543210", "01234567-89AB-CDEF-FEDC-BA987654321G",
          "{1234567-89AB-CDEF-FEDC-BA9876543210}", " 1234567-89AB-CDEF-FEDC-BA9876543210",
          "+1234567-89AB-CDEF-FEDC-BA9876543210"})
        EXPECT_EQ(Uuid::parse(text), std::nullopt) << text;
}

} // namespace
} // namespace quorvel
