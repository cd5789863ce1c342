#include "Support/MASShotFixtures.h"

#include <cstdint>

namespace quorvel {
namespace {

constexpr std::array<std::string_view, 5> kSceneNames{"healthy", "tightening", "maxedOut",
                                                      "swapping", "baseRam8GB"};

struct SceneRow {
    PressureLevel level;
    uint64_t totalBytes;
    uint64_t freePages;
    uint64_t activePages;
    uint64_t wiredPages;
    uint64_t compressedPages;
    uint64_t externalPages;
    uint64_t swapTotal;
    uint64_t swapUsed;
    int runningApps;
    double historyFrom;
    double historyTo;
};

// In the order of MASShotScene.
constexpr std::array<SceneRow, 5> kRows{{
    {PressureLevel::normal, 17179869184, 406323, 268697, 144179, 6553, 222822, 4294967296, 0, 9,
     0.38, 0.41},
    {PressureLevel::warning, 17179869184, 78643, 517734, 170393, 124518, 157286, 4294967296, 0, 14,
     0.55, 0.79},
    {PressureLevel::critical, 17179869184, 19660, 602931, 183500, 203161, 39321, 4294967296,
     2576980377, 17, 0.71, 0.96},
    {PressureLevel::warning, 17179869184, 104857, 484966, 176947, 144179, 137625, 4294967296,
     1395864371, 13, 0.62, 0.83},
    {PressureLevel::normal, 8589934592, 52428, 157286, 98304, 78643, 137625, 2147483648, 0, 7, 0.52,
     0.61},
}};

} // namespace

std::string_view rawValue(MASShotScene scene) {
    return kSceneNames[static_cast<std::size_t>(scene)];
}

std::optional<MASShotScene> masShotSceneFromRaw(std::string_view raw) {
    for (MASShotScene scene : kAllMASShotScenes) {
        if (rawValue(scene) == raw) return scene;
    }
    return std::nullopt;
}

MASFixtureData MASFixtureData::make(MASShotScene scene) {
    const SceneRow &row = kRows[static_cast<std::size_t>(scene)];
    VMSnapshot vm;
    vm.pageSize = 16384;
    vm.totalBytes = row.totalBytes;
    vm.freePages = row.freePages;
    vm.activePages = row.activePages;
    vm.wiredPages = row.wiredPages;
    vm.compressedPages = row.compressedPages;
    vm.externalPages = row.externalPages;
    vm.swapTotal = row.swapTotal;
    vm.swapUsed = row.swapUsed;

    MASFixtureData data;
    data.pressure = {row.level, vm};
    data.runningAppCount = row.runningApps;
    for (int i = 0; i < 40; ++i)
        data.history.push_back(row.historyFrom + (row.historyTo - row.historyFrom) * i / 39);
    return data;
}

} // namespace quorvel
