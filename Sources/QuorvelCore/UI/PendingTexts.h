#pragma once
// TEMPORARY seam until the localisation lands; replaced by L10n / Format.
#include <cstdint>
#include <string>
#include <string_view>
#include "Model/PressureModels.h"
namespace quorvel::Pending {
inline std::string t(std::string_view key) { return std::string(key); }
inline std::string bytes(uint64_t count) { return std::to_string(count / 1048576) + " MB"; }
inline std::string word(PressureLevel level) {
    return level == PressureLevel::normal ? "Normal" : level == PressureLevel::warning ? "Warning" : "Critical";
}
} // namespace quorvel::Pending
