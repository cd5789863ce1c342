#include "Util/Uuid.h"

#include <array>
#include <random>

namespace quorvel {
namespace {

constexpr std::size_t kTextLength = 36;
constexpr std::array<std::size_t, 4> kDashes{8, 13, 18, 23};
constexpr std::string_view kDigits = "0123456789ABCDEF";

bool isDash(std::size_t position) {
    for (std::size_t dash : kDashes) {
        if (dash == position) return true;
    }
    return false;
}

std::optional<uint8_t> hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

} // namespace

Uuid Uuid::random() {
    // Seeded once per thread from the system's entropy.
    thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    Uuid uuid;
    uuid.high = generator();
    uuid.low = generator();
    uuid.high = (uuid.high & ~uint64_t(0xF000)) | 0x4000;                   // version 4
    uuid.low = (uuid.low & ~(uint64_t(0xC) << 60)) | (uint64_t(0x8) << 60); // RFC 4122 variant
    return uuid;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != kTextLength) return std::nullopt;
    Uuid uuid;
    int digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isDash(i)) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        const std::optional<uint8_t> value = hexValue(text[i]);
        if (!value) return std::nullopt;
        uint64_t &half = digits < 16 ? uuid.high : uuid.low;
        half = (half << 4) | *value;
        ++digits;
    }
    return uuid;
}

std::string Uuid::text() const {
    std::string text;
    text.reserve(kTextLength);
    for (int digit = 0; digit < 32; ++digit) {
        if (isDash(text.size())) text += '-';
        const uint64_t half = digit < 16 ? high : low;
        const int shift = 60 - 4 * (digit % 16);
        text += kDigits[(half >> shift) & 0xF];
    }
    return text;
}

} // namespace quorvel
