#include "Util/LanguageChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quorvel {
namespace {

// A language tag split into its parts, with the case the codes use.
struct Tag {
    std::string language;
    std::string script;
    std::string region;

    std::string code() const {
        std::string result = language;
        if (!script.empty()) result += "-" + script;
        if (!region.empty()) result += "-" + region;
        return result;
    }
};

std::string lower(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// Reads "pt_BR.UTF-8", "zh-Hant-TW" or "sr@latin": the codeset and the
// modifier play no part in the choice.
Tag parseTag(std::string_view text) {
    text = text.substr(0, text.find_first_of(".@"));
    Tag tag;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("-_"), text.size());
        const std::string_view part = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (first) {
            tag.language = lower(part);
            first = false;
        } else if (part.size() == 4 && tag.script.empty() && tag.region.empty()) {
            tag.script = upper(part.substr(0, 1)) + lower(part.substr(1));
        } else if (tag.region.empty()) {
            tag.region = upper(part);
        }
    }
    return tag;
}

std::string chineseCode(const Tag &tag) {
    if (tag.script == "Hans" || tag.script == "Hant") return "zh-" + tag.script;
    if (tag.region == "CN" || tag.region == "SG") return "zh-Hans";
    if (tag.region == "TW" || tag.region == "HK" || tag.region == "MO") return "zh-Hant";
    return {};
}

bool contains(std::span<const std::string> codes, std::string_view code) {
    return std::ranges::find(codes, code) != codes.end();
}

std::optional<std::string> matchOne(const Tag &wanted, std::span<const std::string> available) {
    if (wanted.language.empty()) return std::nullopt;
    if (const std::string exact = wanted.code(); contains(available, exact)) return exact;
    if (wanted.language == "zh") {
        if (const std::string code = chineseCode(wanted); contains(available, code)) return code;
    }
    for (const std::string &code : available) {
        if (parseTag(code).language == wanted.language) return code;
    }
    return std::nullopt;
}

std::string joined(std::span<const std::string> codes) {
    std::string result;
    for (const std::string &code : codes) result += (result.empty() ? "" : ", ") + code;
    return result;
}

} // namespace

LanguageChoice::Environment LanguageChoice::processEnvironment() {
    return [](const char *name) -> std::optional<std::string> {
        if (const char *value = std::getenv(name)) return std::string(value);
        return std::nullopt;
    };
}

std::vector<std::string> LanguageChoice::preferredLanguages(const Environment &environment) {
    std::vector<std::string> preferences;
    if (const auto list = environment("LANGUAGE")) {
        std::string_view rest = *list;
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find(':'), rest.size());
            if (end > 0) preferences.emplace_back(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const auto value = environment(name); value && !value->empty()) {
            preferences.push_back(*value);
        }
    }
    return preferences;
}

std::optional<std::string> LanguageChoice::bestMatch(std::span<const std::string> preferences,
                                                     std::span<const std::string> available) {
    for (const std::string &preference : preferences) {
        if (auto code = matchOne(parseTag(preference), available)) return code;
    }
    return std::nullopt;
}

LanguageChoice LanguageChoice::choose(std::span<const std::string> available,
                                      const Environment &environment) {
    LanguageChoice choice;
    if (const auto forced = environment("QUORVEL_LOCALE"); forced && !forced->empty()) {
        if (contains(available, *forced)) {
            choice.code = *forced;
            return choice;
        }
        choice.warning = "QUORVEL_LOCALE=" + *forced +
                         " is not an installed language, so the preferred languages decide; "
                         "installed: " +
                         joined(available);
    }
    choice.code = bestMatch(preferredLanguages(environment), available).value_or("en");
    return choice;
}

std::string LanguageChoice::gettextLanguage(std::string_view code) {
    if (code == "zh-Hans") return "zh_CN";
    if (code == "zh-Hant") return "zh_TW";
    std::string result(code);
    std::ranges::replace(result, '-', '_');
    return result;
}

} // namespace quorvel
