#pragma once

#include <span>
#include <string>
#include <string_view>

#include "Util/L10nArg.h"

namespace quorvel {

// Substitutes arguments into a format string written by a translator. The
// subset: "%@" (text), "%d", "%ld", "%lld" (integer), their positional forms
// "%N$@", "%N$d", "%N$ld", "%N$lld", and "%%". Numbers are written without a
// locale. A placeholder whose argument is missing, and anything after "%" that
// is not one of these, is written back as it stands; an argument of the other
// kind is written as text. Nothing outside `args` is ever read.
std::string formatString(std::string_view format, std::span<const L10nArg> args);

} // namespace quorvel
