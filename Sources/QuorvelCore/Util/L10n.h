#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Util/Localizer.h"

// The process's one localizer and the calls every user-visible text goes
// through. The language is chosen on first use and stays for the run.
namespace quorvel::L10n {

// Built once, on first use from any thread. Stops the program when its
// resource bundle is missing.
const Localizer &shared();
const std::vector<std::string> &availableLocales();

template <L10nArgument... Args> std::string t(std::string_view key, const Args &...args) {
    return shared().t(key, args...);
}

template <L10nArgument... Args>
std::string plural(std::string_view key, int64_t count, const Args &...args) {
    return shared().plural(key, count, args...);
}

} // namespace quorvel::L10n
