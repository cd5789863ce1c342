#include <gtest/gtest.h>

#include <QLocale>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Util/Format.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kLargest = std::numeric_limits<int64_t>::max();

TEST(Format, WritesMegabytesBelowOneGibibyteAndGigabytesFromIt) {
    struct Case {
        uint64_t bytes;
        const char *english, *german;
    };
    // clang-format off
    const Case cases[] = {
        {0, "0 MB", "0 MB"},                         {kMiB / 2 - 1, "0 MB", "0 MB"},
        {kMiB / 2, "1 MB", "1 MB"},                  {kGiB - 1, "1,024 MB", "1.024 MB"},
        {kGiB, "1 GB", "1 GB"},                      {kGiB + kGiB / 10 * 4 + kGiB / 100, "1.41 GB", "1,41 GB"},
        {kGiB + kGiB / 200 + 1, "1.01 GB", "1,01 GB"}, {kGiB + kGiB / 201, "1 GB", "1 GB"},
        {1500 * kGiB + kGiB / 4, "1,500.25 GB", "1.500,25 GB"},
        // Beyond the signed range it stays at the largest.
        {kLargest + 1, "8,589,934,592 GB", "8.589.934.592 GB"},
        {std::numeric_limits<uint64_t>::max(), "8,589,934,592 GB", "8.589.934.592 GB"}};
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Format::bytes(c.bytes, QLocale("en")), c.english);
        EXPECT_EQ(Format::bytes(c.bytes, QLocale("de")), c.german);
    }
}

TEST(Format, SignsChangesWithPlusOrTheMinusSign) {
    const std::string minus = "\u2212";
    EXPECT_EQ(Format::signedBytes(0), "+" + Format::bytes(0));
    EXPECT_EQ(Format::signedBytes(-int64_t{310 * kMiB}), minus + "310 MB");
    // The smallest value's magnitude does not fit; it is written as the largest.
    EXPECT_EQ(Format::signedBytes(std::numeric_limits<int64_t>::min()),
              minus + Format::bytes(kLargest));
    EXPECT_EQ(Format::signedBytes(-int64_t{3 * kGiB}, QLocale("de")), minus + "3 GB");
    EXPECT_EQ(Format::signedBytes(int64_t{3 * kGiB / 2}, QLocale("de")), "+1,5 GB");
}

// The system's regional format applies when the system itself would pick the
// run's language; a forced other language brings its own default format.
TEST(Format, ChoosesTheSystemLocaleOnlyWhenItsLanguageIsTheRunsOwn) {
    const std::vector<std::string> &available = Localizer::supportedLocales();
    struct Case {
        const char *active, *system, *expectedName, *threeAndAHalf;
    };
    const Case cases[] = {
        {"de", "de_CH", "de_CH", "3.5 GB"},      {"en", "de_DE", "en_US", "3.5 GB"},
        {"fr", "de_CH", "fr_FR", "3,5 GB"},      {"en", "C", "en_US", "3.5 GB"},
        {"zh-Hant", "zh_TW", "zh_TW", "3.5 GB"}, {"pt-BR", "pt_PT", "pt_PT", "3,5 GB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.active) + " on " + c.system);
        const QLocale chosen = Format::chooseLocale(c.active, available, QLocale(c.system));
        EXPECT_EQ(chosen.name().toStdString(), c.expectedName);
        EXPECT_EQ(Format::bytes(7 * kGiB / 2, chosen), c.threeAndAHalf);
    }
    // With only English installed, a German system still gets English digits.
    const std::vector<std::string> englishOnly{"en"};
    EXPECT_EQ(Format::chooseLocale("en", englishOnly, QLocale("de_DE")).name(), "en_US");
}

} // namespace
} // namespace quorvel
