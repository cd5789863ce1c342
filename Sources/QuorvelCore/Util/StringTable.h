#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace quorvel {

// One language's default string table: a flat JSON object from key to text.
class StringTable {
public:
    // Larger files are refused; a real table is a few dozen kilobytes.
    static constexpr std::uintmax_t kMaxFileSize = 4 * 1024 * 1024;

    // A table read from text or a file, and what was wrong with it. A text that
    // is not a JSON object gives an empty table; entries whose value is not a
    // text are left out. `problem` is empty when all was well.
    struct Reading;

    static Reading parse(std::string_view json);
    static Reading load(const std::filesystem::path &file);

    // The key's text, or `missing` when the table has no such key.
    std::string_view text(std::string_view key, std::string_view missing) const;
    std::size_t size() const { return entries_.size(); }
    const std::map<std::string, std::string, std::less<>> &entries() const { return entries_; }

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

struct StringTable::Reading {
    StringTable table;
    std::string problem;
};

} // namespace quorvel
