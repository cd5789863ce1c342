#include "Util/DisplayWidth.h"

#include <cstdint>

namespace quorvel {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x3099, 0x309A},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

template <std::size_t N> bool within(const Range (&ranges)[N], char32_t c) {
    for (const Range &range : ranges) {
        if (c >= range.first && c <= range.last) return true;
    }
    return false;
}

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at `at`, moving past it; an ill-formed byte reads as
// a replacement character, so that it still takes a column.
char32_t next(std::string_view text, std::size_t &at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || at + length > text.size()) {
        ++at;
        return kReplacement;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        c = (c << 6) | (byte & 0x3F);
    }
    at += length;
    return c;
}

std::size_t columnsOf(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 0;
    if (within(kZeroWidth, c)) return 0;
    return within(kWide, c) ? 2 : 1;
}

} // namespace

std::size_t displayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < utf8.size();) width += columnsOf(next(utf8, at));
    return width;
}

std::string fitToColumns(std::string_view utf8, std::size_t columns) {
    if (displayWidth(utf8) <= columns) return std::string(utf8);
    if (columns == 0) return {};
    std::size_t width = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        std::size_t after = at;
        const std::size_t w = columnsOf(next(utf8, after));
        if (width + w > columns - 1) break;
        width += w;
        at = after;
    }
    return std::string(utf8.substr(0, at)) + "…";
}

} // namespace quorvel
