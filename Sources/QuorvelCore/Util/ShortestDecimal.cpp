#include "Util/ShortestDecimal.h"

#include <charconv>

namespace quorvel {

std::string shortestDecimal(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    return text;
}

} // namespace quorvel
