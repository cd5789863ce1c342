#pragma once

#include <span>
#include <string_view>

namespace quorvel {

// One symbol name the views use, and the Material Icons glyph drawn for it.
struct SymbolGlyph {
    std::string_view symbol;
    std::string_view glyphName; // the glyph's name in the icon font
    char32_t codepoint;
};

namespace SymbolGlyphs {

// Every symbol name the views draw, each with its closest glyph.
std::span<const SymbolGlyph> table();

// Drawn for a name the table lacks, so a symbol is never just blank.
inline constexpr SymbolGlyph kFallback{"", "crop_square", 0xe3c6};

// The glyph of `symbol`, or the fallback glyph.
const SymbolGlyph &glyphFor(std::string_view symbol);

} // namespace SymbolGlyphs
} // namespace quorvel
