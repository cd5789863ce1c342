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
    const QLocale english("en");
    const QLocale german("de");
    struct Case {
        uint64_t bytes;
        const char *english;
        const char *german;
    };
    const Case cases[] = {
        {0, "0 MB", "0 MB"},
        {1, "0 MB", "0 MB"},
        {kMiB / 2 - 1, "0 MB", "0 MB"},
        {kMiB / 2, "1 MB", "1 MB"},
        {kMiB, "1 MB", "1 MB"},
        {310 * kMiB, "310 MB", "310 MB"},
        {1023 * kMiB + 6 * kMiB / 10, "1,024 MB", "1.024 MB"},
        {kGiB - 1, "1,024 MB", "1.024 MB"},
        {kGiB, "1 GB", "1 GB"},
        {kGiB + kGiB / 10 * 4 + kGiB / 100, "1.41 GB", "1,41 GB"},
        {3 * kGiB + 4 * kGiB / 10, "3.4 GB", "3,4 GB"},
        {kGiB + kGiB / 200 + 1, "1.01 GB", "1,01 GB"},
        {kGiB + kGiB / 201, "1 GB", "1 GB"},
        {2 * kGiB - 1, "2 GB", "2 GB"},
        {16 * kGiB, "16 GB", "16 GB"},
        {1500 * kGiB + kGiB / 4, "1,500.25 GB", "1.500,25 GB"},
        {kLargest, "8,589,934,592 GB", "8.589.934.592 GB"},
        {std::numeric_limits<uint64_t>::max(), "8,589,934,592 GB", "8.589.934.592 GB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Format::bytes(c.bytes, english), c.english);
        EXPECT_EQ(Format::bytes(c.bytes, german), c.german);
    }
}

TEST(Format, UsesOnlyMegabytesAndGigabytes) {
    for (int shift = 0; shift < 64; ++shift) {
        for (uint64_t bytes :
             {(uint64_t{1} << shift) - 1, uint64_t{1} << shift, (uint64_t{1} << shift) + 1}) {
            const std::string text = Format::bytes(bytes);
            SCOPED_TRACE(text);
            const bool megabytes = text.ends_with(" MB");
            EXPECT_TRUE(megabytes || text.ends_with(" GB"));
            EXPECT_EQ(megabytes, bytes < kGiB);
            for (const char *unit : {"KB", "TB", "byte", "B "}) {
                EXPECT_EQ(text.find(unit), std::string::npos);
            }
        }
    }
}

TEST(Format, SignsChangesWithPlusOrTheMinusSign) {
    const std::string minus = "\u2212";
    EXPECT_EQ(minus.size(), 3u);
    EXPECT_EQ(Format::signedBytes(0), "+" + Format::bytes(0));
    EXPECT_EQ(Format::signedBytes(5 * kGiB / 4), "+" + Format::bytes(5 * kGiB / 4));
    for (int64_t change : {int64_t{-1}, -int64_t{310 * kMiB}, -int64_t{3 * kGiB},
                           std::numeric_limits<int64_t>::min() + 1}) {
        SCOPED_TRACE(change);
        EXPECT_EQ(Format::signedBytes(change),
                  minus + Format::bytes(static_cast<uint64_t>(-change)));
    }
    // The smallest value's magnitude does not fit; it is written as the largest.
    EXPECT_EQ(Format::signedBytes(std::numeric_limits<int64_t>::min()),
              minus + Format::bytes(kLargest));
    EXPECT_EQ(Format::signedBytes(-int64_t{3 * kGiB}, QLocale("de")), minus + "3 GB");
    EXPECT_EQ(Format::signedBytes(int64_t{3 * kGiB / 2}, QLocale("de")), "+1,5 GB");
}

TEST(Format, ClampsBeyondTheSignedRange) {
    EXPECT_EQ(Format::bytes(std::numeric_limits<uint64_t>::max()), Format::bytes(kLargest));
    EXPECT_EQ(Format::bytes(kLargest + 1), Format::bytes(kLargest));
}

// The system's regional format applies when the system itself would pick the
// run's language; a forced other language brings its own default format.
TEST(Format, ChoosesTheSystemLocaleOnlyWhenItsLanguageIsTheRunsOwn) {
    const std::vector<std::string> &available = Localizer::supportedLocales();
    struct Case {
        const char *active;
        const char *system;
        const char *expectedName;
        const char *threeAndAHalf;
    };
    const Case cases[] = {
        {"de", "de_CH", "de_CH", "3.5 GB"},      {"de", "de_DE", "de_DE", "3,5 GB"},
        {"en", "de_DE", "en_US", "3.5 GB"},      {"fr", "de_CH", "fr_FR", "3,5 GB"},
        {"en", "C", "en_US", "3.5 GB"},          {"en", "en_GB", "en_GB", "3.5 GB"},
        {"zh-Hant", "zh_TW", "zh_TW", "3.5 GB"}, {"pt-BR", "pt_PT", "pt_PT", "3,5 GB"},
        {"ru", "ru_UA", "ru_UA", "3,5 GB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.active) + " on " + c.system);
        const QLocale chosen = Format::chooseLocale(c.active, available, QLocale(c.system));
        EXPECT_EQ(chosen.name().toStdString(), c.expectedName);
        EXPECT_EQ(Format::bytes(7 * kGiB / 2, chosen), c.threeAndAHalf);
    }
    // With only English installed, a German system still gets English digits.
    const std::vector<std::string> englishOnly{"en"};
    EXPECT_EQ(Format::chooseLocale("en", englishOnly, QLocale("de_DE")).name(),
              QStringLiteral("en_US"));
}

} // namespace
} // namespace quorvel
