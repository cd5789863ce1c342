#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <tuple>

#include "Model/PressureModels.h"
#include "meminfo.h"
#include "sysmem.h"

namespace quorvel {
namespace {

std::optional<qv_meminfo> parse(const std::string &text) {
    qv_meminfo info;
    if (qv_parse_meminfo(text.data(), text.size(), &info) != 0) return std::nullopt;
    return info;
}

TEST(MeminfoParser, BuildsTheRecordFromTheLinesItKnows) {
    // The sub-lines after Active and Inactive must not be taken for them.
    const auto info = parse(
        "MemTotal: 16384000 kB\nMemFree: 2048000 kB\nMemAvailable: 8192000 kB\nBuffers: 100000 kB\n"
        "Cached: 3000000 kB\nSwapCached: 1000 kB\nActive: 6000000 kB\nActive(anon): 999 kB\n"
        "Inactive: 4000000 kB\nInactive(file): 7 kB\nUnevictable: 4000 kB\nSwapTotal: 2097152 kB\n"
        "SwapFree: 1048576 kB\nZswap: 40960 kB\nShmem: 200000 kB\nSReclaimable: 400000 kB\n"
        "SUnreclaim: 100000 kB\nKernelStack: 16000 kB\nPageTables: 80000 kB\nHugePages_Total: 0\n");
    ASSERT_TRUE(info);
    qv_vm_record record;
    ASSERT_EQ(qv_vm_record_from_meminfo(&*info, 4096, 8192000, &record), 0);
    const uint64_t kB = 1024, page = 4;
    EXPECT_EQ(std::tuple(record.pageSize, record.totalBytes, record.freePages, record.activePages,
                         record.inactivePages, record.speculativePages, record.wiredPages),
              std::tuple(4096u, 16384000 * kB, 2048000 / page, 6000000 / page, 4000000 / page, 0u,
                         (4000 + 100000 + 16000 + 80000) / page));
    EXPECT_EQ(std::tuple(record.compressedPages, record.purgeablePages, record.externalPages,
                         record.swapTotal, record.swapUsed),
              std::tuple((40960 * kB + 8192000) / 4096, 400000 / page,
                         (100000 + 3000000 - 200000) / page, 2097152 * kB, 1048576 * kB));
}

TEST(MeminfoParser, AcceptsOrRejectsWholeTexts) {
    struct Case {
        const char *name;
        std::string text;
        int parsed, recorded; // the second counts only when parsing succeeded
    };
    const Case cases[] = {
        {"crlf endings", "MemTotal: 1024 kB\r\nMemFree: 512 kB\r\n", 0, 0},
        {"missing MemTotal", "MemFree: 512 kB\n", 0, -1},
        {"truncated known line", "MemTotal: 1024 kB\nMemFree:   51", -1, 0},
        {"junk after unit", "MemTotal: 1024 kB extra\n", -1, 0},
        {"largest value that fits", "MemTotal: 18014398509481983 kB\n", 0, 0},
        {"bytes overflow 64 bits", "MemTotal: 18014398509481984 kB\n", -1, 0},
        {"unknown line is not parsed", "MemTotal: 1024 kB\nHugePages_Total: lots\n", 0, 0},
        {"embedded NUL", std::string("MemTotal: 1024 kB\n\0MemFree: 5 kB\n", 32), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qv_meminfo info;
        ASSERT_EQ(qv_parse_meminfo(c.text.data(), c.text.size(), &info), c.parsed);
        if (c.parsed != 0) continue;
        qv_vm_record record;
        EXPECT_EQ(qv_vm_record_from_meminfo(&info, 4096, 0, &record), c.recorded);
    }
}

TEST(MeminfoParser, KeepsDifferencesAndSumsInRange) {
    const auto info =
        parse("MemTotal: 1024 kB\nBuffers: 10 kB\nCached: 20 kB\nShmem: 500 kB\n"
              "SwapTotal: 100 kB\nSwapFree: 400 kB\nUnevictable: 18014398509481983 kB\n"
              "SUnreclaim: 18014398509481983 kB\n");
    ASSERT_TRUE(info);
    qv_vm_record record;
    ASSERT_EQ(qv_vm_record_from_meminfo(&*info, 4096, UINT64_MAX, &record), 0);
    EXPECT_EQ(std::tuple(record.externalPages, record.swapUsed, record.wiredPages,
                         record.compressedPages),
              std::tuple(0u, 0u, UINT64_MAX / 4096, UINT64_MAX / 4096));
}

TEST(PsiParser, ReadsAvg10OrMarksTheLineUnreadable) {
    struct Case {
        const char *text;
        int some, full; // hundredths of a percent, -1 unreadable
    };
    const Case cases[] = {
        {"some avg10=12.34 avg60=1.00 total=5\r\nfull avg10=9.99 total=1\r\n", 1234, 999},
        {"some avg10=100.00\nfull avg10=5\n", 10000, 500},
        {"some avg10=abc\nfull avg10=10.00\n", -1, 1000},
        {"some avg10=101.00\nfull avg10=1,50\n", -1, -1},
        {"some avg10=99999999999999999999999.0\n", -1, -1},
        {"some avg60=3.00\ngarbage\n\n\nfull\n", -1, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        qv_psi psi;
        qv_parse_psi(c.text, std::char_traits<char>::length(c.text), &psi);
        EXPECT_EQ(psi.hasSome ? int(psi.someAvg10Centi) : -1, c.some);
        EXPECT_EQ(psi.hasFull ? int(psi.fullAvg10Centi) : -1, c.full);
    }
}

std::string available(const std::string &kB, const std::string &total = "1000") {
    return "MemTotal: " + total + " kB\nMemAvailable: " + kB + " kB\n";
}

// Some tasks stalled for 10 % of the time, or less than 15 % of memory
// available, is a warning; all stalled for 10 %, or less than 5 %, critical.
TEST(PressureClassification, CombinesPsiAndAvailableMemory) {
    const std::string huge = "18014398509481983";
    const char *calm = "some avg10=0.00\n";
    struct Case {
        const char *psi; // null: no PSI file
        std::optional<std::string> meminfo;
        int32_t level;
    };
    // clang-format off
    const Case cases[] = {
        {"some avg10=10.00\nfull avg10=0.00\n", available("500"), 2}, {"some avg10=9.99\n", available("500"), 1},
        {"some avg10=50.00\nfull avg10=10.00\n", available("500"), 4}, {calm, available("149"), 2},
        {calm, available("150"), 1}, {calm, available("49"), 4}, {nullptr, available("50"), 2},
        {"some avg10=20.00\n", std::nullopt, 2}, {nullptr, std::nullopt, -1},
        {nullptr, "MemTotal: 1000 kB\n", -1}, {nullptr, available("0", "0"), -1},
        {nullptr, available(huge, huge), 1}};
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.psi ? c.psi : "no PSI\n") << c.meminfo.value_or(""));
        qv_psi psi;
        qv_parse_psi(c.psi, c.psi ? std::char_traits<char>::length(c.psi) : 0, &psi);
        const auto info = parse(c.meminfo.value_or(""));
        EXPECT_EQ(qv_classify_pressure(&psi, c.meminfo ? &*info : nullptr), c.level);
    }
}

TEST(ZramStats, ReadsMemUsedTotal) {
    uint64_t bytes = 0;
    const std::string stat = "  4096  1024  8192  0  8192  0  0  0  0\n";
    ASSERT_EQ(qv_parse_zram_mm_stat(stat.data(), stat.size(), &bytes), 0);
    EXPECT_EQ(bytes, 8192u);
    for (const std::string bad : {"", "1 2", "1 x 3", "a b c"})
        EXPECT_EQ(qv_parse_zram_mm_stat(bad.data(), bad.size(), &bytes), -1) << bad;
}

TEST(VMSnapshot, DerivesFiguresAndClampsInsteadOfWrapping) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    struct Case {
        uint64_t page, total, free, external, purgeable, used, appsSystem, freeForApps;
        double usedFraction;
    };
    const Case cases[] = {
        {16384, 8589934592, 100000, 50000, 25000, 6951534592, 5722734592, 2867200000, 0.8092651},
        {4096, 0, 10, 10, 10, 0, 0, 0, 0.0},
        {kMax, kMax, kMax, kMax, kMax, 0, 0, kMax, 0.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.total);
        const VMSnapshot vm{c.page, c.total, c.free, 0, 0, 0, 0, 0, c.purgeable, c.external};
        EXPECT_EQ(vm.usedBytes(), c.used);
        EXPECT_EQ(vm.appsSystemBytes(), c.appsSystem);
        EXPECT_EQ(vm.freeForAppsBytes(), c.freeForApps);
        EXPECT_NEAR(vm.usedFraction(), c.usedFraction, 1e-7);
    }
}

} // namespace
} // namespace quorvel
