#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

enum class PressureLevel : int { normal = 0, warning = 1, critical = 2 };

// Accepts 0, 1 and 2 only.
std::optional<PressureLevel> pressureLevelFromRaw(int raw);

// Name of the level's symbol image, as the menu bar and the header show it.
std::string_view symbol(PressureLevel level);

// The level's own name: "normal", "warning" or "critical".
std::string_view levelName(PressureLevel level);

// The level as a sentence ("pressure.text.*") and as one word
// ("pressure.word.*"), in the language of the run.
std::string text(PressureLevel level);
std::string word(PressureLevel level);

// One reading of the memory statistics. Derived byte counts saturate instead
// of wrapping, so a fabricated record can never yield a wrapped-around figure.
struct VMSnapshot {
    uint64_t pageSize = 0;
    uint64_t totalBytes = 0;
    uint64_t freePages = 0;
    uint64_t activePages = 0;
    uint64_t inactivePages = 0;
    uint64_t speculativePages = 0;
    uint64_t wiredPages = 0;
    uint64_t compressedPages = 0;
    uint64_t purgeablePages = 0;
    uint64_t externalPages = 0;
    uint64_t swapTotal = 0;
    uint64_t swapUsed = 0;

    uint64_t freeBytes() const;
    uint64_t activeBytes() const;
    uint64_t wiredBytes() const;
    uint64_t compressedBytes() const;
    uint64_t availableBytes() const;
    uint64_t cachedBytes() const;
    uint64_t usedBytes() const;
    uint64_t appsSystemBytes() const;
    uint64_t freeForAppsBytes() const;
    double usedFraction() const;
    double appsSystemFraction() const;

    bool operator==(const VMSnapshot &) const = default;
};

struct PressureSnapshot {
    PressureLevel level = PressureLevel::normal;
    std::optional<VMSnapshot> vm;

    bool operator==(const PressureSnapshot &) const = default;
};

} // namespace quorvel
