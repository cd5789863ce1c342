#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "Util/L10n.h"
#include "Util/LocalizationRoots.h"
#include "Util/Localizer.h"
#include "ResourceBundleAccessor.h"
#include "TempTree.h"

namespace quorvel {
namespace {

using testing::TempTree;

// A module bundle in a private tree; tests add tables to it.
class LocalizerTest : public ::testing::Test {
protected:
    void table(const std::string &code, const std::string &json) {
        tree_.write("Localization/" + code + ".lproj/Localizable.json", json);
    }
    LocalizationRoots roots() const { return {std::nullopt, tree_.root() / "Localization"}; }
    Localizer localizer(const std::string &code) const { return Localizer(code, roots()); }

    TempTree tree_;
};

TEST_F(LocalizerTest, FallsBackFromTheLanguageToEnglishToTheKey) {
    table("en", R"({"only.en": "English", "both": "English both"})");
    table("de", R"({"only.de": "Deutsch", "both": "Deutsch beide"})");
    const Localizer german = localizer("de");
    ASSERT_TRUE(german.bundle() && german.fallback());
    EXPECT_EQ(german.t("both"), "Deutsch beide");
    EXPECT_EQ(german.t("only.de"), "Deutsch");
    EXPECT_EQ(german.t("only.en"), "English");
    EXPECT_EQ(german.t("nowhere"), "nowhere");

    const Localizer english = localizer("en");
    EXPECT_FALSE(english.fallback());
    EXPECT_EQ(english.t("only.de"), "only.de");

    // A language without tables goes straight to English.
    const Localizer french = localizer("fr");
    EXPECT_FALSE(french.bundle());
    EXPECT_EQ(french.t("both"), "English both");
}

TEST_F(LocalizerTest, ShowsKeysWhenThereAreNoTablesAtAll) {
    const Localizer german = localizer("de");
    EXPECT_FALSE(german.bundle());
    EXPECT_FALSE(german.fallback());
    EXPECT_EQ(german.t("pro.list.heading"), "pro.list.heading");
    EXPECT_EQ(german.plural("pro.rules.minutes", 5), "pro.rules.minutes.other");
}

TEST_F(LocalizerTest, FormatsOnlyWhenGivenArguments) {
    table("en", R"({"percent": "100% sure %@", "two": "%@ then %@", "n": "%ld of %@"})");
    const Localizer english = localizer("en");
    EXPECT_EQ(english.t("percent"), "100% sure %@");
    EXPECT_EQ(english.t("two", "first", std::string("second")), "first then second");
    EXPECT_EQ(english.t("n", 3, std::string_view("four")), "3 of four");
}

TEST_F(LocalizerTest, ReadsTheSentinelAsMissing) {
    EXPECT_EQ(Localizer::kMissing.size(), 12u);
    EXPECT_EQ(Localizer::kMissing.front(), '\0');
    EXPECT_EQ(Localizer::kMissing.substr(1, 10), "QV_MISSING");
    EXPECT_EQ(Localizer::kMissing.back(), '\0');
    table("en", R"({"k": "English"})");
    table("de", R"({"k": "\u0000QV_MISSING\u0000"})");
    EXPECT_EQ(localizer("de").t("k"), "English");
}

TEST(PluralCategory, FollowsEachLanguagesRule) {
    struct Case {
        const char *code;
        std::vector<int64_t> counts;
        const char *category;
    };
    const Case cases[] = {
        {"ru", {1, 21, 101, -1, -21}, "one"},
        {"ru", {2, 3, 4, 22, 104, -2}, "few"},
        {"ru", {0, 5, 11, 12, 14, 111, 112, 25, 100}, "many"},
        {"ja", {0, 1, 2, 21}, "other"},
        {"ko", {0, 1, 2}, "other"},
        {"zh-Hans", {0, 1, 2}, "other"},
        {"zh-Hant", {0, 1, 2}, "other"},
        {"en", {1, -1}, "one"},
        {"en", {0, 2, 21}, "other"},
        {"fr", {1}, "one"},
        {"fr", {0, 2}, "other"},
        {"de", {1}, "one"},
        {"es", {0}, "other"},
        {"pt-BR", {1}, "one"},
        {"pt-BR", {0, 2}, "other"},
        {"", {1}, "one"},
    };
    for (const Case &c : cases) {
        for (int64_t count : c.counts) {
            SCOPED_TRACE(std::string(c.code) + " " + std::to_string(count));
            EXPECT_EQ(Localizer::pluralCategory(c.code, count), c.category);
        }
    }
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(Localizer::pluralCategory("ru", kMin), "many"); // ...808
    EXPECT_EQ(Localizer::pluralCategory("en", kMin), "other");
}

TEST_F(LocalizerTest, FindsPluralFormsThroughCategoryOtherAndEnglish) {
    table("en", R"({"apps.one": "%ld app", "apps.other": "%ld apps",
                    "only.en.one": "EN one %ld", "only.en.other": "EN other %ld"})");
    table("ru", R"({"apps.one": "%ld прил.", "apps.few": "%ld прил-я", "apps.many": "%ld прил-й",
                    "general.other": "всего %ld"})");
    table("de", R"({"only.en.other": "DE other %ld"})");
    const Localizer russian = localizer("ru");
    EXPECT_EQ(russian.plural("apps", 21), "21 прил.");
    EXPECT_EQ(russian.plural("apps", -2), "-2 прил-я");
    EXPECT_EQ(russian.plural("apps", 11), "11 прил-й");
    EXPECT_EQ(russian.plural("general", 3), "всего 3");
    EXPECT_EQ(russian.plural("only.en", 2), "EN other 2");
    EXPECT_EQ(russian.plural("nowhere", 2), "nowhere.few");

    // The language's general entry comes before English's exact one.
    EXPECT_EQ(localizer("de").plural("only.en", 1), "DE other 1");
    EXPECT_EQ(localizer("en").plural("apps", 1), "1 app");
    EXPECT_EQ(localizer("en").plural("apps", 0), "0 apps");
}

TEST_F(LocalizerTest, PassesTheCountFirstThenTheOtherArguments) {
    table("en", R"({"froze.one": "%1$ld process, %2$@", "froze.other": "%2$@ in %1$ld processes",
                    "plain.other": "100%% of %ld"})");
    const Localizer english = localizer("en");
    EXPECT_EQ(english.plural("froze", 1, "2 GB"), "1 process, 2 GB");
    EXPECT_EQ(english.plural("froze", 4, "2 GB"), "2 GB in 4 processes");
    // Plural texts are always formatted.
    EXPECT_EQ(english.plural("plain", 3), "100% of 3");
}

TEST(LocalizerRoots, ListsInstalledLocalesInSupportedOrderFromBothRoots) {
    TempTree tree;
    for (const char *directory :
         {"main/ru.lproj", "main/notes", "bundle/Localization/de.lproj",
          "bundle/Localization/en.lproj", "bundle/Localization/xx.lproj", "main/ja.lproj"}) {
        tree.makeDirectory(directory);
    }
    const LocalizationRoots roots{tree.root() / "main", tree.root() / "bundle/Localization"};
    EXPECT_EQ(Localizer::installedLocales(roots),
              (std::vector<std::string>{"en", "ja", "de", "ru"}));
    EXPECT_EQ(Localizer::supportedLocales(),
              (std::vector<std::string>{"en", "zh-Hans", "zh-Hant", "ja", "ko", "de", "fr", "es",
                                        "pt-BR", "ru"}));
}

TEST(LocalizerRoots, PrefersTheMainResourcesOverTheModuleBundle) {
    TempTree tree;
    tree.write("main/de.lproj/Localizable.json", R"({"k": "main"})");
    tree.write("bundle/Localization/de.lproj/Localizable.json", R"({"k": "bundle", "b": "only"})");
    const LocalizationRoots roots{tree.root() / "main", tree.root() / "bundle/Localization"};
    const auto bundle = Localizer::lprojBundle("de", roots);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->directory(), tree.root() / "main/de.lproj");
    const Localizer german("de", roots);
    EXPECT_EQ(german.t("k"), "main");
    EXPECT_EQ(german.t("b"), "b");
}

TEST(ModuleBundle, IsLookedForInTheMainResourcesThenBesideAndAboveTheExecutable) {
    TempTree tree;
    const auto locations = ResourceLocations::forExecutableDirectory(tree.root() / "prefix/bin");
    EXPECT_EQ(locations.mainResources, tree.root() / "prefix/share/quorvel");
    EXPECT_EQ(locations.codeResources, tree.root() / "prefix/bin");
    EXPECT_EQ(locations.applicationDirectory, tree.root() / "prefix");

    EXPECT_FALSE(findModuleBundle(locations));
    EXPECT_FALSE(LocalizationRoots::find(locations));
    const std::string name(kModuleBundleName);
    for (const char *where : {"prefix/", "prefix/bin/", "prefix/share/quorvel/"}) {
        SCOPED_TRACE(where);
        tree.makeDirectory(where + name);
        EXPECT_EQ(findModuleBundle(locations), tree.root() / (where + name));
    }
    EXPECT_FALSE(findModuleBundle({}));

    const auto roots = LocalizationRoots::find(locations);
    ASSERT_TRUE(roots);
    EXPECT_EQ(roots->mainResources, tree.root() / "prefix/share/quorvel");
    EXPECT_FALSE(roots->moduleLocalizationRoot);
    tree.makeDirectory("prefix/share/quorvel/" + name + "/Localization");
    EXPECT_EQ(LocalizationRoots::find(locations)->moduleLocalizationRoot,
              tree.root() / ("prefix/share/quorvel/" + name + "/Localization"));
}

TEST_F(LocalizerTest, SkipsABrokenTableAndSaysSoOnce) {
    table("en", R"({"k": "English"})");
    table("es", R"(["not", "an", "object"])");
    ::testing::internal::CaptureStderr();
    const Localizer first = localizer("es");
    const Localizer second = localizer("es");
    const std::string notes = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(first.t("k"), "English");
    EXPECT_EQ(second.t("k"), "English");
    EXPECT_NE(notes.find("is not a JSON object; the table is ignored"), std::string::npos) << notes;
    EXPECT_EQ(notes.find("quorvel:"), notes.rfind("quorvel:")) << notes;
}

// The running tests find the build tree's own tables, as the program does.
TEST(L10n, ServesTheInstalledTablesOfTheRun) {
    const std::vector<std::string> &available = L10n::availableLocales();
    ASSERT_FALSE(available.empty());
    EXPECT_EQ(available.front(), "en");
    EXPECT_EQ(available, Localizer::installedLocales());
    EXPECT_TRUE(Localizer::moduleLocalizationRoot());
    const Localizer &shared = L10n::shared();
    EXPECT_NE(std::find(available.begin(), available.end(), shared.locale()), available.end());
    EXPECT_EQ(L10n::t("pro.list.heading"), shared.t("pro.list.heading"));
    EXPECT_NE(L10n::t("pro.list.heading"), "pro.list.heading");
    EXPECT_EQ(L10n::plural("pro.rules.minutes", 5), shared.plural("pro.rules.minutes", 5));
    EXPECT_NE(L10n::plural("pro.rules.minutes", 5).find('5'), std::string::npos);
}

} // namespace
} // namespace quorvel
