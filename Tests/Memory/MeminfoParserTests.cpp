#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "meminfo.h"
#include "sysmem.h"

namespace {

constexpr char kTypicalMeminfo[] = "MemTotal:       16384000 kB\n"
                                   "MemFree:         2048000 kB\n"
                                   "MemAvailable:    8192000 kB\n"
                                   "Buffers:          100000 kB\n"
                                   "Cached:          3000000 kB\n"
                                   "SwapCached:         1000 kB\n"
                                   "Active:          6000000 kB\n"
                                   "Inactive:        4000000 kB\n"
                                   "Active(anon):    5000000 kB\n"
                                   "Unevictable:        4000 kB\n"
                                   "SwapTotal:       2097152 kB\n"
                                   "SwapFree:        1048576 kB\n"
                                   "Zswap:             40960 kB\n"
                                   "Shmem:            200000 kB\n"
                                   "SReclaimable:     400000 kB\n"
                                   "SUnreclaim:       100000 kB\n"
                                   "KernelStack:       16000 kB\n"
                                   "PageTables:        80000 kB\n"
                                   "HugePages_Total:       0\n";

int parse(const std::string &text, qv_meminfo &info) {
    return qv_parse_meminfo(text.data(), text.size(), &info);
}

TEST(MeminfoParser, BuildsEveryFieldOfTheRecord) {
    qv_meminfo info;
    ASSERT_EQ(parse(kTypicalMeminfo, info), 0);
    qv_vm_record record;
    ASSERT_EQ(qv_vm_record_from_meminfo(&info, 4096, 8192000, &record), 0);
    EXPECT_EQ(record.pageSize, 4096u);
    EXPECT_EQ(record.totalBytes, 16384000ull * 1024);
    EXPECT_EQ(record.freePages, 2048000ull * 1024 / 4096);
    EXPECT_EQ(record.activePages, 6000000ull * 1024 / 4096);
    EXPECT_EQ(record.inactivePages, 4000000ull * 1024 / 4096);
    EXPECT_EQ(record.speculativePages, 0u);
    EXPECT_EQ(record.wiredPages, (4000ull + 100000 + 16000 + 80000) * 1024 / 4096);
    EXPECT_EQ(record.compressedPages, (40960ull * 1024 + 8192000) / 4096);
    EXPECT_EQ(record.purgeablePages, 400000ull * 1024 / 4096);
    EXPECT_EQ(record.externalPages, (100000ull + 3000000 - 200000) * 1024 / 4096);
    EXPECT_EQ(record.swapTotal, 2097152ull * 1024);
    EXPECT_EQ(record.swapUsed, 1048576ull * 1024);
}

TEST(MeminfoParser, AcceptsOrRejectsWholeTexts) {
    struct Case {
        const char *name;
        std::string text;
        int parseResult;
        int recordResult; // meaningful only when parsing succeeded
    };
    const Case cases[] = {
        {"typical", kTypicalMeminfo, 0, 0},
        {"crlf endings", "MemTotal: 1024 kB\r\nMemFree: 512 kB\r\n", 0, 0},
        {"no final newline", "MemTotal: 1024 kB", 0, 0},
        {"only unknown lines", "Foo: 12 kB\nBar baz\n", 0, -1},
        {"empty", "", 0, -1},
        {"missing MemTotal", "MemFree: 512 kB\n", 0, -1},
        {"truncated known line", "MemTotal: 1024 kB\nMemFree:   51", -1, 0},
        {"known line without unit", "MemTotal: 1024\n", -1, 0},
        {"non-numeric", "MemTotal: 1024 kB\nMemFree: abc kB\n", -1, 0},
        {"negative", "MemTotal: -1024 kB\n", -1, 0},
        {"junk after unit", "MemTotal: 1024 kB extra\n", -1, 0},
        {"largest value that fits", "MemTotal: 18014398509481983 kB\n", 0, 0},
        {"bytes overflow 64 bits", "MemTotal: 18014398509481984 kB\n", -1, 0},
        {"near 2^64 kB", "MemTotal: 18446744073709551615 kB\n", -1, 0},
        {"beyond 2^64", "MemTotal: 99999999999999999999999 kB\n", -1, 0},
        {"unknown line is not parsed", "MemTotal: 1024 kB\nHugePages_Total: lots\n", 0, 0},
        {"embedded NUL", std::string("MemTotal: 1024 kB\n\0MemFree: 5 kB\n", 32), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qv_meminfo info;
        ASSERT_EQ(parse(c.text, info), c.parseResult);
        if (c.parseResult != 0) continue;
        qv_vm_record record;
        EXPECT_EQ(qv_vm_record_from_meminfo(&info, 4096, 0, &record), c.recordResult);
    }
}

TEST(MeminfoParser, KeepsDifferencesAndSumsInRange) {
    qv_meminfo info;
    ASSERT_EQ(parse("MemTotal: 1024 kB\nBuffers: 10 kB\nCached: 20 kB\nShmem: 500 kB\n"
                    "SwapTotal: 100 kB\nSwapFree: 400 kB\n"
                    "Unevictable: 18014398509481983 kB\nSUnreclaim: 18014398509481983 kB\n",
                    info),
              0);
    qv_vm_record record;
    ASSERT_EQ(qv_vm_record_from_meminfo(&info, 4096, UINT64_MAX, &record), 0);
    EXPECT_EQ(record.externalPages, 0u);
    EXPECT_EQ(record.swapUsed, 0u);
    EXPECT_EQ(record.wiredPages, UINT64_MAX / 4096);
    EXPECT_EQ(record.compressedPages, UINT64_MAX / 4096);
}

TEST(MeminfoParser, ActiveIsNotConfusedWithItsSubLines) {
    qv_meminfo info;
    ASSERT_EQ(
        parse("MemTotal: 1 kB\nActive(anon): 999 kB\nActive: 8 kB\nInactive(file): 7 kB\n", info),
        0);
    EXPECT_EQ(info.bytes[QV_MEM_ACTIVE], 8u * 1024);
    EXPECT_EQ(info.bytes[QV_MEM_INACTIVE], 0u);
}

TEST(PsiParser, ReadsAvg10OrMarksTheLineUnreadable) {
    struct Case {
        const char *text;
        int hasSome;
        uint32_t some;
        int hasFull;
        uint32_t full;
    };
    const Case cases[] = {
        {"some avg10=0.00 avg60=0.00 avg300=0.00 total=0\n"
         "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\n",
         1, 0, 1, 0},
        {"some avg10=12.34 avg60=1.00 avg300=0.00 total=5\r\nfull avg10=9.99 total=1\r\n", 1, 1234,
         1, 999},
        {"some avg10=100.00\nfull avg10=5\n", 1, 10000, 1, 500},
        {"some avg10=7.5\n", 1, 750, 0, 0},
        {"some avg10=0.123456\n", 1, 12, 0, 0},
        {"some avg10=abc\nfull avg10=10.00\n", 0, 0, 1, 1000},
        {"some avg10=\nfull avg10=.5\n", 0, 0, 0, 0},
        {"some avg10=101.00\n", 0, 0, 0, 0},
        {"some avg10=99999999999999999999999.0\n", 0, 0, 0, 0},
        {"some avg10=1,50\n", 0, 0, 0, 0},
        {"some avg60=3.00\n", 0, 0, 0, 0},
        {"garbage\n\n\nfull\n", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        qv_psi psi;
        qv_parse_psi(c.text, std::char_traits<char>::length(c.text), &psi);
        EXPECT_EQ(psi.hasSome, c.hasSome);
        EXPECT_EQ(psi.hasFull, c.hasFull);
        if (c.hasSome) {
            EXPECT_EQ(psi.someAvg10Centi, c.some);
        }
        if (c.hasFull) {
            EXPECT_EQ(psi.fullAvg10Centi, c.full);
        }
    }
}

TEST(PressureClassification, CombinesPsiAndAvailableMemory) {
    struct Case {
        const char *name;
        const char *psi;     // null: no PSI file
        const char *meminfo; // null: no meminfo
        int32_t level;
    };
    const Case cases[] = {
        {"calm", "some avg10=0.00\nfull avg10=0.00\n", "MemTotal: 1000 kB\nMemAvailable: 500 kB\n",
         1},
        {"some stall", "some avg10=10.00\nfull avg10=0.00\n",
         "MemTotal: 1000 kB\nMemAvailable: 500 kB\n", 2},
        {"some just below", "some avg10=9.99\n", "MemTotal: 1000 kB\nMemAvailable: 500 kB\n", 1},
        {"full stall", "some avg10=50.00\nfull avg10=10.00\n",
         "MemTotal: 1000 kB\nMemAvailable: 500 kB\n", 4},
        {"little available", "some avg10=0.00\n", "MemTotal: 1000 kB\nMemAvailable: 149 kB\n", 2},
        {"exactly 15 %", "some avg10=0.00\n", "MemTotal: 1000 kB\nMemAvailable: 150 kB\n", 1},
        {"very little available", "some avg10=0.00\n", "MemTotal: 1000 kB\nMemAvailable: 49 kB\n",
         4},
        {"exactly 5 %", nullptr, "MemTotal: 1000 kB\nMemAvailable: 50 kB\n", 2},
        {"no PSI, plenty", nullptr, "MemTotal: 1000 kB\nMemAvailable: 900 kB\n", 1},
        {"PSI only", "some avg10=20.00\n", nullptr, 2},
        {"malformed PSI, no meminfo", "some avg10=x\n", nullptr, -1},
        {"meminfo without MemAvailable", nullptr, "MemTotal: 1000 kB\n", -1},
        {"zero total", nullptr, "MemTotal: 0 kB\nMemAvailable: 0 kB\n", -1},
        {"huge figures", nullptr,
         "MemTotal: 18014398509481983 kB\nMemAvailable: 18014398509481983 kB\n", 1},
        {"nothing", nullptr, nullptr, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qv_psi psi;
        qv_parse_psi(c.psi, c.psi ? std::char_traits<char>::length(c.psi) : 0, &psi);
        qv_meminfo info;
        const bool hasInfo =
            c.meminfo &&
            qv_parse_meminfo(c.meminfo, std::char_traits<char>::length(c.meminfo), &info) == 0;
        EXPECT_EQ(qv_classify_pressure(&psi, hasInfo ? &info : nullptr), c.level);
    }
}

TEST(ZramStats, ReadsMemUsedTotal) {
    uint64_t bytes = 0;
    const std::string stat = "  4096  1024  8192  0  8192  0  0  0  0\n";
    ASSERT_EQ(qv_parse_zram_mm_stat(stat.data(), stat.size(), &bytes), 0);
    EXPECT_EQ(bytes, 8192u);
    for (const std::string bad : {"", "1 2", "1 x 3", "a b c"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(qv_parse_zram_mm_stat(bad.data(), bad.size(), &bytes), -1);
    }
}

TEST(SystemMemoryShim, ReadsThisMachine) {
    EXPECT_EQ(qv_vm_stats(nullptr), -1);
    qv_vm_record record;
    ASSERT_EQ(qv_vm_stats(&record), 0);
    EXPECT_EQ(record.pageSize, static_cast<uint64_t>(sysconf(_SC_PAGESIZE)));
    EXPECT_GT(record.totalBytes, 0u);
    EXPECT_LE(record.freePages * record.pageSize, record.totalBytes);
    const int32_t level = qv_pressure_level();
    EXPECT_TRUE(level == 1 || level == 2 || level == 4) << level;
}

} // namespace
