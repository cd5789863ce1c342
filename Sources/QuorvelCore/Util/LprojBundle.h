#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "Util/StringTable.h"

namespace quorvel {

// An opened "<code>.lproj" directory with its default table
// ("Localizable.json"). Copies share the table.
class LprojBundle {
public:
    static constexpr std::string_view kTableFileName = "Localizable.json";

    // Nothing when the directory does not exist. A missing or broken table is
    // reported once on standard error and reads as empty, so lookups fall
    // through to the next table instead of failing.
    static std::optional<LprojBundle> open(const std::filesystem::path &directory);

    const std::filesystem::path &directory() const { return directory_; }
    const StringTable &table() const { return *table_; }

private:
    LprojBundle(std::filesystem::path directory, std::shared_ptr<const StringTable> table)
        : directory_(std::move(directory))
        , table_(std::move(table)) {}

    std::filesystem::path directory_;
    std::shared_ptr<const StringTable> table_;
};

} // namespace quorvel
