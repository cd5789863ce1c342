#include "Util/Utf8.h"

#include <cstdint>

namespace quorvel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct LeadByte {
    std::size_t length; // 0 for a byte that cannot start a sequence
    uint8_t secondLow;  // the second byte's range keeps out overlong forms,
    uint8_t secondHigh; // surrogates and code points above U+10FFFF
};

LeadByte leadByte(uint8_t byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// How many bytes from `at` form a well-formed sequence (its full length), or
// how many form the broken start that one replacement stands for.
std::size_t sequenceAt(std::string_view bytes, std::size_t at, bool &wellFormed) {
    const LeadByte lead = leadByte(static_cast<uint8_t>(bytes[at]));
    wellFormed = false;
    if (lead.length == 0) return 1;
    std::size_t taken = 1;
    for (; taken < lead.length && at + taken < bytes.size(); ++taken) {
        const auto byte = static_cast<uint8_t>(bytes[at + taken]);
        const uint8_t low = taken == 1 ? lead.secondLow : 0x80;
        const uint8_t high = taken == 1 ? lead.secondHigh : 0xBF;
        if (byte < low || byte > high) return taken;
    }
    wellFormed = taken == lead.length;
    return taken;
}

} // namespace

std::string utf8WithReplacements(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (static_cast<uint8_t>(bytes[at]) < 0x80) {
            text += bytes[at++];
            continue;
        }
        bool wellFormed = false;
        const std::size_t length = sequenceAt(bytes, at, wellFormed);
        if (wellFormed) {
            text += bytes.substr(at, length);
        } else {
            text += kReplacement;
        }
        at += length;
    }
    return text;
}

} // namespace quorvel
