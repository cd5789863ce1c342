#include "Util/SymbolGlyphs.h"

#include <algorithm>
#include <array>

namespace quorvel::SymbolGlyphs {
namespace {

constexpr std::array kTable{
    SymbolGlyph{"arrow.clockwise", "refresh", 0xe5d5},
    SymbolGlyph{"checkmark.circle.fill", "check_circle", 0xe86c},
    SymbolGlyph{"chevron.right", "chevron_right", 0xe5cc},
    SymbolGlyph{"circle", "radio_button_unchecked", 0xe836},
    SymbolGlyph{"clock.arrow.circlepath", "history", 0xe889},
    SymbolGlyph{"ellipsis", "more_horiz", 0xe5d3},
    SymbolGlyph{"exclamationmark.circle", "error_outline", 0xe001},
    SymbolGlyph{"exclamationmark.triangle.fill", "warning", 0xe002},
    SymbolGlyph{"gearshape", "settings", 0xe8b8},
    SymbolGlyph{"gearshape.2", "miscellaneous_services", 0xf10c},
    SymbolGlyph{"info.circle", "info_outline", 0xe88f},
    SymbolGlyph{"info.circle.fill", "info", 0xe88e},
    SymbolGlyph{"internaldrive.fill", "storage", 0xe1db},
    SymbolGlyph{"lock.fill", "lock", 0xe897},
    SymbolGlyph{"memorychip", "memory", 0xe322},
    SymbolGlyph{"moon.zzz.fill", "bedtime", 0xef44},
    SymbolGlyph{"pause.fill", "pause", 0xe034},
    SymbolGlyph{"play.circle.fill", "play_circle_filled", 0xe038},
    SymbolGlyph{"play.fill", "play_arrow", 0xe037},
    SymbolGlyph{"plus.circle.fill", "add_circle", 0xe147},
    SymbolGlyph{"rectangle.compress.vertical", "compress", 0xe94d},
    SymbolGlyph{"star", "star_border", 0xe83a},
    SymbolGlyph{"trash", "delete_outline", 0xe92e},
    SymbolGlyph{"xmark.circle.fill", "cancel", 0xe5c9},
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const auto &a, const auto &b) { return a.symbol < b.symbol; }),
              "kept sorted for the binary search");

} // namespace

std::span<const SymbolGlyph> table() {
    return kTable;
}

const SymbolGlyph &glyphFor(std::string_view symbol) {
    const auto found =
        std::lower_bound(kTable.begin(), kTable.end(), symbol,
                         [](const SymbolGlyph &g, std::string_view s) { return g.symbol < s; });
    if (found != kTable.end() && found->symbol == symbol) return *found;
    return kFallback;
}

} // namespace quorvel::SymbolGlyphs
