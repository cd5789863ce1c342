#include "Model/PressureModels.h"

#include <algorithm>
#include <limits>

#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

uint64_t add(uint64_t a, uint64_t b) {
    return a > kMax - b ? kMax : a + b;
}

uint64_t multiply(uint64_t a, uint64_t b) {
    uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? kMax : product;
}

uint64_t subtractOrZero(uint64_t a, uint64_t b) {
    return b > a ? 0 : a - b;
}

double fraction(uint64_t part, uint64_t total) {
    if (total == 0) return 0.0;
    return std::min(1.0, static_cast<double>(part) / static_cast<double>(total));
}

} // namespace

std::optional<PressureLevel> pressureLevelFromRaw(int raw) {
    switch (raw) {
    case 0: return PressureLevel::normal;
    case 1: return PressureLevel::warning;
    case 2: return PressureLevel::critical;
    default: return std::nullopt;
    }
}

std::string_view symbol(PressureLevel level) {
    switch (level) {
    case PressureLevel::warning: return "exclamationmark.circle";
    case PressureLevel::critical: return "exclamationmark.triangle.fill";
    case PressureLevel::normal: break;
    }
    return "memorychip";
}

// Also the level's part of its text keys.
std::string_view levelName(PressureLevel level) {
    switch (level) {
    case PressureLevel::warning: return "warning";
    case PressureLevel::critical: return "critical";
    case PressureLevel::normal: break;
    }
    return "normal";
}

std::string text(PressureLevel level) {
    return L10n::t(std::string("pressure.text.") + std::string(levelName(level)));
}

std::string word(PressureLevel level) {
    return L10n::t(std::string("pressure.word.") + std::string(levelName(level)));
}

uint64_t VMSnapshot::freeBytes() const {
    return multiply(freePages, pageSize);
}
uint64_t VMSnapshot::activeBytes() const {
    return multiply(activePages, pageSize);
}
uint64_t VMSnapshot::wiredBytes() const {
    return multiply(wiredPages, pageSize);
}
uint64_t VMSnapshot::compressedBytes() const {
    return multiply(compressedPages, pageSize);
}

uint64_t VMSnapshot::availableBytes() const {
    return multiply(add(freePages, purgeablePages), pageSize);
}

uint64_t VMSnapshot::cachedBytes() const {
    return multiply(add(externalPages, purgeablePages), pageSize);
}

uint64_t VMSnapshot::usedBytes() const {
    return subtractOrZero(totalBytes, freeBytes());
}

uint64_t VMSnapshot::appsSystemBytes() const {
    const uint64_t notApps = multiply(add(add(freePages, externalPages), purgeablePages), pageSize);
    return subtractOrZero(totalBytes, notApps);
}

uint64_t VMSnapshot::freeForAppsBytes() const {
    return totalBytes - appsSystemBytes();
}

double VMSnapshot::usedFraction() const {
    return fraction(usedBytes(), totalBytes);
}

double VMSnapshot::appsSystemFraction() const {
    return fraction(appsSystemBytes(), totalBytes);
}

} // namespace quorvel
