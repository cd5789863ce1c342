#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Util/LanguageChoice.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

using Variables = std::map<std::string, std::string>;

LanguageChoice::Environment environment(const Variables &variables) {
    return [variables](const char *name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

TEST(LanguageChoice, FollowsThePreferredLanguagesOfTheEnvironment) {
    const std::vector<std::string> &all = Localizer::supportedLocales();
    const std::vector<std::string> some{"en", "de", "pt-BR"};
    struct Case {
        Variables variables;
        const std::vector<std::string> &available;
        const char *expected;
    };
    const Case cases[] = {
        {{}, all, "en"},
        {{{"LANG", "C.UTF-8"}}, all, "en"},
        {{{"LANG", "POSIX"}}, all, "en"},
        {{{"LANG", "de_DE.UTF-8"}}, all, "de"},
        {{{"LANG", "de_AT.UTF-8@euro"}}, all, "de"},
        {{{"LANG", "pt_BR.UTF-8"}}, all, "pt-BR"},
        {{{"LANG", "pt_PT.UTF-8"}}, all, "pt-BR"},
        {{{"LANG", "zh_CN.UTF-8"}}, all, "zh-Hans"},
        {{{"LANG", "zh_SG"}}, all, "zh-Hans"},
        {{{"LANG", "zh_TW.UTF-8"}}, all, "zh-Hant"},
        {{{"LANG", "zh_HK.UTF-8"}}, all, "zh-Hant"},
        {{{"LANG", "zh_MO"}}, all, "zh-Hant"},
        {{{"LANG", "zh"}}, all, "zh-Hans"},
        {{{"LANG", "zh_Hant_SG"}}, all, "zh-Hant"},
        {{{"LANGUAGE", "zh-hant"}}, all, "zh-Hant"},
        {{{"LANG", "ko_KR.eucKR"}}, all, "ko"},
        {{{"LANG", "es_419"}}, all, "es"},
        {{{"LANG", "fr_CA"}}, some, "en"},
        {{{"LANG", "zh_TW"}}, some, "en"},
        {{{"LANGUAGE", "fr:de"}, {"LANG", "ru_RU.UTF-8"}}, all, "fr"},
        {{{"LANGUAGE", "nl:sv::de_CH"}, {"LANG", "ru_RU.UTF-8"}}, all, "de"},
        {{{"LANGUAGE", "nl"}, {"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "ru_RU"}}, all, "ja"},
        {{{"LANGUAGE", ""}, {"LC_MESSAGES", "ko_KR"}, {"LANG", "ru_RU"}}, all, "ko"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "es_ES"}, {"LANG", "ru_RU"}}, all, "es"},
        {{{"LANG", "ru_RU"}, {"LC_NUMERIC", "de_DE"}}, all, "ru"},
        {{{"LANG", "\xff\xfe"}, {"LANGUAGE", ":::"}}, all, "en"},
        {{{"QUORVEL_LOCALE", "ja"}, {"LANG", "de_DE"}}, all, "ja"},
        {{{"QUORVEL_LOCALE", "pt-BR"}}, some, "pt-BR"},
        {{{"QUORVEL_LOCALE", ""}, {"LANG", "de_DE"}}, all, "de"},
    };
    for (const Case &c : cases) {
        std::string trace;
        for (const auto &[name, value] : c.variables)
            trace += name + "=" + value + " ";
        SCOPED_TRACE(trace);
        const LanguageChoice choice = LanguageChoice::choose(c.available, environment(c.variables));
        EXPECT_EQ(choice.code, c.expected);
        EXPECT_FALSE(choice.warning);
    }
}

TEST(LanguageChoice, ExplainsAnUnknownForcedLanguageAndFallsBack) {
    const std::vector<std::string> available{"en", "de", "ru"};
    for (const char *forced : {"xx", "de_DE", "EN", "zh-Hans"}) {
        SCOPED_TRACE(forced);
        const LanguageChoice choice = LanguageChoice::choose(
            available, environment({{"QUORVEL_LOCALE", forced}, {"LANGUAGE", "ru"}}));
        EXPECT_EQ(choice.code, "ru");
        ASSERT_TRUE(choice.warning);
        EXPECT_NE(choice.warning->find(std::string("QUORVEL_LOCALE=") + forced), std::string::npos);
        EXPECT_NE(choice.warning->find("installed: en, de, ru"), std::string::npos)
            << *choice.warning;
    }
}

TEST(LanguageChoice, ListsPreferencesInOrder) {
    const Variables variables{
        {"LANGUAGE", "fr_FR:de::"}, {"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", ""}, {"LANG", "C"}};
    EXPECT_EQ(LanguageChoice::preferredLanguages(environment(variables)),
              (std::vector<std::string>{"fr_FR", "de", "ja_JP.UTF-8", "C"}));
}

TEST(LanguageChoice, NamesTheLanguageTheWayGettextDoes) {
    const std::pair<const char *, const char *> cases[] = {
        {"en", "en"}, {"zh-Hans", "zh_CN"}, {"zh-Hant", "zh_TW"}, {"ja", "ja"},       {"ko", "ko"},
        {"de", "de"}, {"fr", "fr"},         {"es", "es"},         {"pt-BR", "pt_BR"}, {"ru", "ru"},
    };
    for (const auto &[code, gettext] : cases) {
        EXPECT_EQ(LanguageChoice::gettextLanguage(code), gettext);
    }
}

} // namespace
} // namespace quorvel
