#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Picks the language of a run from the environment. Reads the environment
// through a lookup so that tests need not change the process's own.
class LanguageChoice {
public:
    using Environment = std::function<std::optional<std::string>(const char *name)>;

    // getenv of the running process.
    static Environment processEnvironment();

    // The user's preferred languages, most wanted first: the entries of
    // LANGUAGE, then LC_ALL, LC_MESSAGES and LANG, as they stand.
    static std::vector<std::string> preferredLanguages(const Environment &environment);

    // The first preference that one of `available` serves: exact code first
    // (POSIX forms such as "pt_BR.UTF-8" count), then the Chinese regions
    // (CN, SG: "zh-Hans"; TW, HK, MO: "zh-Hant"), then the language part.
    static std::optional<std::string> bestMatch(std::span<const std::string> preferences,
                                                std::span<const std::string> available);

    // QUORVEL_LOCALE when it names an available code, else the best match of
    // the preferred languages, else "en". An unknown QUORVEL_LOCALE is
    // explained in `warning`.
    static LanguageChoice choose(std::span<const std::string> available,
                                 const Environment &environment);

    // The form LANGUAGE takes for gettext: "zh_CN" for "zh-Hans", "pt_BR".
    static std::string gettextLanguage(std::string_view code);

    std::string code;
    std::optional<std::string> warning;
};

} // namespace quorvel
