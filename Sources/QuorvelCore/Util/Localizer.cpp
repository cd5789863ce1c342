#include "Util/Localizer.h"

#include <system_error>

#include "Util/FormatString.h"

namespace quorvel {
namespace {

constexpr std::string_view kEnglish = "en";

std::optional<std::string_view> textIn(const std::optional<LprojBundle> &bundle,
                                       std::string_view key) {
    if (!bundle) return std::nullopt;
    const std::string_view text = bundle->table().text(key, Localizer::kMissing);
    if (text == Localizer::kMissing) return std::nullopt;
    return text;
}

// The language subtag: "zh" of "zh-Hans", "pt" of "pt_BR".
std::string_view languagePart(std::string_view code) {
    const std::string_view language = code.substr(0, code.find_first_of("-_"));
    return language.empty() ? code : language;
}

} // namespace

const std::vector<std::string> &Localizer::supportedLocales() {
    static const std::vector<std::string> codes{"en", "zh-Hans", "zh-Hant", "ja",    "ko",
                                                "de", "fr",      "es",      "pt-BR", "ru"};
    return codes;
}

const std::optional<std::filesystem::path> &Localizer::moduleLocalizationRoot() {
    return LocalizationRoots::ofProcess().moduleLocalizationRoot;
}

const std::vector<std::string> &Localizer::installedLocales() {
    static const std::vector<std::string> codes = installedLocales(LocalizationRoots::ofProcess());
    return codes;
}

std::vector<std::string> Localizer::installedLocales(const LocalizationRoots &roots) {
    std::vector<std::string> codes;
    for (const std::string &code : supportedLocales()) {
        std::error_code error;
        for (const auto &root : {roots.mainResources, roots.moduleLocalizationRoot}) {
            if (root && std::filesystem::is_directory(*root / (code + ".lproj"), error)) {
                codes.push_back(code);
                break;
            }
        }
    }
    return codes;
}

std::optional<LprojBundle> Localizer::lprojBundle(std::string_view code) {
    return lprojBundle(code, LocalizationRoots::ofProcess());
}

std::optional<LprojBundle> Localizer::lprojBundle(std::string_view code,
                                                  const LocalizationRoots &roots) {
    const std::string name = std::string(code) + ".lproj";
    for (const auto &root : {roots.mainResources, roots.moduleLocalizationRoot}) {
        if (!root) continue;
        if (std::optional<LprojBundle> bundle = LprojBundle::open(*root / name)) return bundle;
    }
    return std::nullopt;
}

std::string_view Localizer::pluralCategory(std::string_view code, int64_t count) {
    const std::string_view language = languagePart(code);
    // The magnitude as unsigned, so the smallest count does not overflow.
    const uint64_t n = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
    if (language == "ru") {
        if (n % 10 == 1 && n % 100 != 11) return "one";
        if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) return "few";
        return "many";
    }
    if (language == "zh" || language == "ja" || language == "ko") return "other";
    return n == 1 ? "one" : "other";
}

Localizer::Localizer(std::string locale)
    : Localizer(std::move(locale), LocalizationRoots::ofProcess()) {}

Localizer::Localizer(std::string locale, const LocalizationRoots &roots)
    : locale_(std::move(locale))
    , bundle_(lprojBundle(locale_, roots)) {
    if (locale_ != kEnglish) fallback_ = lprojBundle(kEnglish, roots);
}

std::optional<std::string_view> Localizer::find(std::string_view key) const {
    if (auto text = textIn(bundle_, key)) return text;
    return textIn(fallback_, key);
}

std::string Localizer::t(std::string_view key, std::span<const L10nArg> arguments) const {
    const std::string_view text = find(key).value_or(key);
    if (arguments.empty()) return std::string(text);
    return formatString(text, arguments);
}

std::string Localizer::plural(std::string_view key, int64_t count,
                              std::span<const L10nArg> further) const {
    std::vector<L10nArg> arguments{L10nArg(count)};
    arguments.insert(arguments.end(), further.begin(), further.end());
    return formatPlural(key, count, arguments);
}

std::string Localizer::formatPlural(std::string_view key, int64_t count,
                                    std::span<const L10nArg> arguments) const {
    const std::string_view category = pluralCategory(locale_, count);
    const std::string exact = std::string(key) + "." + std::string(category);
    const std::string general = std::string(key) + ".other";
    std::optional<std::string_view> text;
    for (const std::optional<LprojBundle> *tables : {&bundle_, &fallback_}) {
        text = textIn(*tables, exact);
        if (!text && category != "other") text = textIn(*tables, general);
        if (text) break;
    }
    return formatString(text.value_or(exact), arguments);
}

} // namespace quorvel
