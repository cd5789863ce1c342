#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Util/LanguageChoice.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

// QUORVEL_LOCALE when installed, else the first preference some table serves,
// else English; a forced language that is not installed is explained.
TEST(LanguageChoice, FollowsTheForcedThenThePreferredLanguagesOfTheEnvironment) {
    using Variables = std::map<std::string, std::string>;
    const std::vector<std::string> &all = Localizer::supportedLocales();
    const std::vector<std::string> some{"en", "de", "pt-BR"};
    const struct {
        Variables variables;
        const std::vector<std::string> &available;
        const char *expected;
        bool warns = false;
    } cases[] = {
        {{{"LANG", "C.UTF-8"}}, all, "en"},
        {{{"LANG", "de_AT.UTF-8@euro"}}, all, "de"},
        {{{"LANG", "pt_PT.UTF-8"}}, all, "pt-BR"},
        {{{"LANG", "zh_HK.UTF-8"}}, all, "zh-Hant"},
        {{{"LANG", "zh_Hant_SG"}}, all, "zh-Hant"},
        {{{"LANGUAGE", "nl:sv::de_CH"}, {"LANG", "ru_RU.UTF-8"}}, all, "de"},
        {{{"LANGUAGE", "nl"}, {"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "ru_RU"}}, all, "ja"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "es_ES"}, {"LANG", "ru_RU"}}, all, "es"},
        {{{"LANG", "\xff\xfe"}, {"LANGUAGE", ":::"}}, all, "en"},
        {{{"QUORVEL_LOCALE", "ja"}, {"LANG", "de_DE"}}, all, "ja"},
        {{{"QUORVEL_LOCALE", "ja"}, {"LANGUAGE", "pt"}}, some, "pt-BR", true},
        {{{"QUORVEL_LOCALE", "de_DE"}}, some, "en", true},
    };
    for (const auto &c : cases) {
        std::string trace;
        for (const auto &[name, value] : c.variables) trace += name + "=" + value + " ";
        SCOPED_TRACE(trace);
        const LanguageChoice choice = LanguageChoice::choose(
            c.available, [&](const char *name) -> std::optional<std::string> {
                const auto found = c.variables.find(name);
                return found == c.variables.end() ? std::nullopt : std::optional(found->second);
            });
        EXPECT_EQ(choice.code, c.expected);
        ASSERT_EQ(choice.warning.has_value(), c.warns);
        if (!c.warns) continue;
        EXPECT_NE(choice.warning->find("QUORVEL_LOCALE=" + c.variables.at("QUORVEL_LOCALE")),
                  std::string::npos);
        EXPECT_NE(choice.warning->find("installed: en, de, pt-BR"), std::string::npos);
    }
}

} // namespace
} // namespace quorvel
