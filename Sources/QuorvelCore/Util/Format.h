#pragma once

#include <QLocale>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Every memory amount shown to the user is written here: binary multiples,
// only "MB" and "GB". Below 1 GiB a whole number of MB (the unit is chosen
// before rounding, so 1023.6 MiB is "1,024 MB"); from 1 GiB on GB with at most
// two fraction digits, trailing zeros dropped. Digits follow `locale()`.
namespace quorvel::Format {

// Chosen once on first use: the system's own locale when the locale the
// environment asks for (LC_ALL, LC_MESSAGES, LANG) would pick the run's
// language itself, else the default locale of the run's language.
const QLocale &locale();

// The choice behind `locale()`: `available` are the installed language codes,
// `activeCode` the run's language, `systemName` the name of the locale asked
// for (`system`'s own name when not given).
QLocale chooseLocale(std::string_view activeCode, std::span<const std::string> available,
                     const QLocale &system);
QLocale chooseLocale(std::string_view activeCode, std::span<const std::string> available,
                     const std::string &systemName, const QLocale &system);

// Amounts beyond the largest signed 64-bit value are written as that value.
std::string bytes(uint64_t count);
std::string bytes(uint64_t count, const QLocale &locale);

// A change of memory: "+" for zero and up, "−" (U+2212) below, then the
// magnitude as `bytes` writes it.
std::string signedBytes(int64_t change);
std::string signedBytes(int64_t change, const QLocale &locale);

} // namespace quorvel::Format
