#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// Terminal columns the UTF-8 text takes: East Asian wide and fullwidth
// characters take two, combining marks and zero-width characters none, every
// other character one. Ill-formed bytes count one column each.
std::size_t displayWidth(std::string_view utf8);

// The longest leading part of `utf8` that fits in `columns`, ending in "…"
// when something was cut.
std::string fitToColumns(std::string_view utf8, std::size_t columns);

} // namespace quorvel
