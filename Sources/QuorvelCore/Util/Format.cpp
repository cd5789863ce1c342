#include "Util/Format.h"

#include <QByteArray>

#include <algorithm>
#include <limits>
#include <vector>

#include "Util/L10n.h"
#include "Util/LanguageChoice.h"

namespace quorvel::Format {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kLargest = std::numeric_limits<int64_t>::max();
constexpr std::string_view kMinusSign = "\u2212";

// The locale the user's environment asks for, as LC_ALL, LC_MESSAGES or
// LANG name it. Qt's system locale takes its name from LANGUAGE instead when
// that names another language (and the program sets LANGUAGE to the run's
// language), while its digits still follow LC_NUMERIC.
std::string askedLocaleName() {
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const QByteArray value = qgetenv(name); !value.isEmpty()) return value.toStdString();
    }
    return {};
}

} // namespace

const QLocale &locale() {
    static const QLocale chosen = chooseLocale(L10n::shared().locale(), L10n::availableLocales(),
                                               askedLocaleName(), QLocale::system());
    return chosen;
}

QLocale chooseLocale(std::string_view activeCode, std::span<const std::string> available,
                     const QLocale &system) {
    return chooseLocale(activeCode, available, system.name().toStdString(), system);
}

QLocale chooseLocale(std::string_view activeCode, std::span<const std::string> available,
                     const std::string &systemName, const QLocale &system) {
    const std::vector<std::string> systemPreference{systemName};
    if (LanguageChoice::bestMatch(systemPreference, available) == activeCode) return system;
    return QLocale(QString::fromUtf8(activeCode.data(), static_cast<qsizetype>(activeCode.size())));
}

std::string bytes(uint64_t count) {
    return bytes(count, locale());
}

std::string bytes(uint64_t count, const QLocale &locale) {
    count = std::min(count, kLargest);
    if (count < kGiB) {
        const uint64_t megabytes = (count + kMiB / 2) / kMiB;
        return (locale.toString(static_cast<qulonglong>(megabytes)) + QStringLiteral(" MB"))
            .toStdString();
    }
    // Whole and remainder apart, so hundredths never overflow.
    const uint64_t hundredths = count / kGiB * 100 + (count % kGiB * 100 + kGiB / 2) / kGiB;
    const double gigabytes = static_cast<double>(hundredths) / 100.0;
    return (locale.toString(gigabytes, 'f', QLocale::FloatingPointShortest) + QStringLiteral(" GB"))
        .toStdString();
}

std::string signedBytes(int64_t change) {
    return signedBytes(change, locale());
}

std::string signedBytes(int64_t change, const QLocale &locale) {
    // Unsigned, so the smallest value has a magnitude; `bytes` clamps it.
    const uint64_t magnitude =
        change < 0 ? 0 - static_cast<uint64_t>(change) : static_cast<uint64_t>(change);
    return std::string(change < 0 ? kMinusSign : "+") + bytes(magnitude, locale);
}

} // namespace quorvel::Format
