#include <gtest/gtest.h>

#include <limits>

#include "Util/L10n.h"
#include "Model/PressureModels.h"
#include "System/SystemMemory.h"

namespace quorvel {
namespace {

VMSnapshot snapshot(uint64_t pageSize, uint64_t total, uint64_t freePages, uint64_t external,
                    uint64_t purgeable) {
    VMSnapshot vm;
    vm.pageSize = pageSize;
    vm.totalBytes = total;
    vm.freePages = freePages;
    vm.externalPages = external;
    vm.purgeablePages = purgeable;
    return vm;
}

TEST(VMSnapshot, DerivesByteCountsAndFractions) {
    const VMSnapshot vm = snapshot(16384, 8589934592ull, 100000, 50000, 25000);
    EXPECT_EQ(vm.freeBytes(), 1638400000u);
    EXPECT_EQ(vm.cachedBytes(), 1228800000u);
    EXPECT_EQ(vm.availableBytes(), 2048000000u);
    EXPECT_EQ(vm.appsSystemBytes(), 5722734592u);
    EXPECT_EQ(vm.freeForAppsBytes(), 2867200000u);
    EXPECT_DOUBLE_EQ(vm.usedFraction(), 0.80926513671875);
    EXPECT_NEAR(vm.appsSystemFraction(), 0.6662, 0.0001);
}

TEST(VMSnapshot, ClampsInsteadOfWrapping) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    struct Case {
        const char *name;
        VMSnapshot vm;
        uint64_t used, appsSystem, freeForApps;
        double usedFraction, appsSystemFraction;
    };
    const Case cases[] = {
        {"zero total", snapshot(4096, 0, 10, 10, 10), 0, 0, 0, 0.0, 0.0},
        {"free above total", snapshot(4096, 4096, 10, 0, 0), 0, 0, 4096, 0.0, 0.0},
        {"free and cache above total", snapshot(4096, 40960, 5, 5, 5), 20480, 0, 40960, 0.5, 0.0},
        {"products beyond 64 bits", snapshot(kMax, kMax, kMax, kMax, kMax), 0, 0, kMax, 0.0, 0.0},
        {"nothing free", snapshot(4096, 8192, 0, 0, 0), 8192, 8192, 0, 1.0, 1.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.vm.usedBytes(), c.used);
        EXPECT_EQ(c.vm.appsSystemBytes(), c.appsSystem);
        EXPECT_EQ(c.vm.freeForAppsBytes(), c.freeForApps);
        EXPECT_DOUBLE_EQ(c.vm.usedFraction(), c.usedFraction);
        EXPECT_DOUBLE_EQ(c.vm.appsSystemFraction(), c.appsSystemFraction);
        EXPECT_LE(c.vm.usedFraction(), 1.0);
    }
}

TEST(PressureLevel, ComesFromItsRawValuesOnly) {
    EXPECT_EQ(pressureLevelFromRaw(0), PressureLevel::normal);
    EXPECT_EQ(pressureLevelFromRaw(1), PressureLevel::warning);
    EXPECT_EQ(pressureLevelFromRaw(2), PressureLevel::critical);
    for (int raw : {3, 4, -1, std::numeric_limits<int>::min()})
        EXPECT_FALSE(pressureLevelFromRaw(raw));
    EXPECT_EQ(symbol(PressureLevel::normal), "memorychip");
    EXPECT_EQ(symbol(PressureLevel::warning), "exclamationmark.circle");
    EXPECT_EQ(symbol(PressureLevel::critical), "exclamationmark.triangle.fill");
}

TEST(PressureLevel, SpeaksThroughTheLocalizer) {
    const std::pair<PressureLevel, const char *> levels[] = {
        {PressureLevel::normal, "normal"},
        {PressureLevel::warning, "warning"},
        {PressureLevel::critical, "critical"},
    };
    for (const auto &[level, name] : levels) {
        SCOPED_TRACE(name);
        const std::string textKey = std::string("pressure.text.") + name;
        const std::string wordKey = std::string("pressure.word.") + name;
        EXPECT_EQ(text(level), L10n::t(textKey));
        EXPECT_EQ(word(level), L10n::t(wordKey));
        EXPECT_NE(text(level), textKey);
        EXPECT_NE(word(level), wordKey);
    }
    EXPECT_NE(word(PressureLevel::normal), word(PressureLevel::warning));
    EXPECT_NE(text(PressureLevel::warning), text(PressureLevel::critical));
}

TEST(SystemMemory, CopiesTheShimsReading) {
    const auto vm = SystemMemory::vmSnapshot();
    ASSERT_TRUE(vm);
    EXPECT_GT(vm->totalBytes, 0u);
    EXPECT_GT(vm->usedFraction(), 0.0);
    const int level = SystemMemory::pressureLevelSysctl();
    EXPECT_TRUE(level == 1 || level == 2 || level == 4) << level;
}

} // namespace
} // namespace quorvel
