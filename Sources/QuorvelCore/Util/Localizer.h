#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Util/L10nArg.h"
#include "Util/LocalizationRoots.h"
#include "Util/LprojBundle.h"

namespace quorvel {

// Resolves keys to texts for one language, falling back to English and then to
// the key itself. A plain value: copies share the loaded tables.
class Localizer {
public:
    // Passed as the default of every table lookup; no table holds it.
    static constexpr std::string_view kMissing{"\0QV_MISSING\0", 12};

    // "en" first; the order in which languages are listed everywhere.
    static const std::vector<std::string> &supportedLocales();
    static const std::optional<std::filesystem::path> &moduleLocalizationRoot();
    // The supported codes whose tables can be opened, in supported order;
    // worked out once for the running program.
    static const std::vector<std::string> &installedLocales();
    static std::vector<std::string> installedLocales(const LocalizationRoots &roots);
    // The "<code>.lproj" directory in the main resources, else in the module
    // bundle's "Localization" directory.
    static std::optional<LprojBundle> lprojBundle(std::string_view code);
    static std::optional<LprojBundle> lprojBundle(std::string_view code,
                                                  const LocalizationRoots &roots);
    // "one", "few", "many" or "other".
    static std::string_view pluralCategory(std::string_view code, int64_t count);

    // Tables of the running program.
    explicit Localizer(std::string locale);
    Localizer(std::string locale, const LocalizationRoots &roots);

    const std::string &locale() const { return locale_; }
    const std::optional<LprojBundle> &bundle() const { return bundle_; }
    // Absent for "en" itself and when there are no English tables.
    const std::optional<LprojBundle> &fallback() const { return fallback_; }

    // The key's text; with arguments it is a format string for them.
    template <L10nArgument... Args> std::string t(std::string_view key, const Args &...args) const {
        const std::array<L10nArg, sizeof...(Args)> arguments{L10nArg(args)...};
        return t(key, std::span<const L10nArg>(arguments));
    }
    std::string t(std::string_view key, std::span<const L10nArg> arguments) const;

    // The text of the count's plural category, always formatted, with the
    // count as the first argument and the others after it.
    template <L10nArgument... Args>
    std::string plural(std::string_view key, int64_t count, const Args &...args) const {
        const std::array<L10nArg, sizeof...(Args) + 1> arguments{L10nArg(count), L10nArg(args)...};
        return formatPlural(key, count, arguments);
    }
    std::string plural(std::string_view key, int64_t count, std::span<const L10nArg> further) const;

private:
    std::optional<std::string_view> find(std::string_view key) const;
    // `arguments` starts with the count.
    std::string formatPlural(std::string_view key, int64_t count,
                             std::span<const L10nArg> arguments) const;

    std::string locale_;
    std::optional<LprojBundle> bundle_;
    std::optional<LprojBundle> fallback_;
};

} // namespace quorvel
