#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A 128-bit identifier whose text is the canonical 8-4-4-4-12 hexadecimal
// form, written in upper case.
struct Uuid {
    uint64_t high = 0;
    uint64_t low = 0;

    // A random (version 4) identifier.
    static Uuid random();
    // The canonical form in either case; anything else is nothing.
    static std::optional<Uuid> parse(std::string_view text);

    std::string text() const;

    auto operator<=>(const Uuid &) const = default;
};

} // namespace quorvel
