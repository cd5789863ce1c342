#include "Util/FormatString.h"

#include <charconv>
#include <cstddef>
#include <optional>

namespace quorvel {
namespace {

// Positions beyond this are surely a typo; they are written back.
constexpr std::size_t kMaxPosition = 999;

struct Placeholder {
    std::optional<std::size_t> position; // 1-based when given
    std::size_t length = 0;              // bytes from the '%' on
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the conversion at `at` (just after the '%' and any "N$"): "@", "d",
// "ld" or "lld". Returns its length, or 0 when there is none.
std::size_t conversionLength(std::string_view format, std::size_t at) {
    const std::string_view rest = format.substr(at);
    for (std::string_view conversion : {"@", "d", "ld", "lld"}) {
        if (rest.starts_with(conversion)) return conversion.size();
    }
    return 0;
}

// Parses the placeholder starting at the '%' at `start`, "%%" excluded.
std::optional<Placeholder> parsePlaceholder(std::string_view format, std::size_t start) {
    std::size_t at = start + 1;
    Placeholder placeholder;
    std::size_t digitsEnd = at;
    while (digitsEnd < format.size() && isDigit(format[digitsEnd])) ++digitsEnd;
    if (digitsEnd > at) {
        if (digitsEnd >= format.size() || format[digitsEnd] != '$') return std::nullopt;
        std::size_t position = 0;
        const auto [end, error] =
            std::from_chars(format.data() + at, format.data() + digitsEnd, position);
        const bool inRange = error == std::errc() && position >= 1 && position <= kMaxPosition;
        if (!inRange || end != format.data() + digitsEnd) return std::nullopt;
        placeholder.position = position;
        at = digitsEnd + 1;
    }
    const std::size_t conversion = conversionLength(format, at);
    if (conversion == 0) return std::nullopt;
    placeholder.length = at + conversion - start;
    return placeholder;
}

void appendArgument(std::string &out, const L10nArg &arg) {
    if (arg.isText()) {
        out += arg.text();
        return;
    }
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, arg.number());
    out.append(digits, result.ptr);
}

} // namespace

std::string formatString(std::string_view format, std::span<const L10nArg> args) {
    std::string out;
    out.reserve(format.size());
    std::size_t nextSequential = 0;
    std::size_t at = 0;
    while (at < format.size()) {
        const std::size_t percent = format.find('%', at);
        if (percent == std::string_view::npos) {
            out += format.substr(at);
            break;
        }
        out += format.substr(at, percent - at);
        if (percent + 1 < format.size() && format[percent + 1] == '%') {
            out += '%';
            at = percent + 2;
            continue;
        }
        const std::optional<Placeholder> placeholder = parsePlaceholder(format, percent);
        if (!placeholder) {
            out += '%';
            at = percent + 1;
            continue;
        }
        const std::size_t index =
            placeholder->position ? *placeholder->position - 1 : nextSequential++;
        if (index < args.size()) {
            appendArgument(out, args[index]);
        } else {
            out += format.substr(percent, placeholder->length);
        }
        at = percent + placeholder->length;
    }
    return out;
}

} // namespace quorvel
