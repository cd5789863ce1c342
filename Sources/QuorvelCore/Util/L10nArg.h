#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quorvel {

// Every integer type but bool and the character types, which would otherwise
// turn into numbers by accident.
template <typename T>
concept L10nNumber = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
                     !std::same_as<T, char8_t> && !std::same_as<T, char16_t> &&
                     !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>;

// One format argument of a localised text: a text or a signed 64-bit integer
// (unsigned values beyond its range saturate). It views the caller's text, so
// it lives only for the call it is passed to.
class L10nArg {
public:
    L10nArg(std::string_view text)
        : value_(text) {}
    L10nArg(const std::string &text)
        : value_(std::string_view(text)) {}
    L10nArg(const char *text)
        : value_(text ? std::string_view(text) : std::string_view()) {}

    template <L10nNumber Number>
    L10nArg(Number number)
        : value_(toInt64(number)) {}

    bool isText() const { return std::holds_alternative<std::string_view>(value_); }
    std::string_view text() const { return std::get<std::string_view>(value_); }
    int64_t number() const { return std::get<int64_t>(value_); }

private:
    template <L10nNumber Number> static int64_t toInt64(Number number) {
        constexpr auto kMax = std::numeric_limits<int64_t>::max();
        if constexpr (std::is_unsigned_v<Number>) {
            return number > static_cast<uint64_t>(kMax) ? kMax : static_cast<int64_t>(number);
        } else {
            return static_cast<int64_t>(number);
        }
    }

    std::variant<std::string_view, int64_t> value_;
};

// What the variadic lookups take as a format argument.
template <typename T>
concept L10nArgument = std::convertible_to<const T &, L10nArg>;

} // namespace quorvel
