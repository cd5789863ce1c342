#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "Util/L10n.h"
#include "Util/LocalizationRoots.h"
#include "Util/Localizer.h"
#include "Util/StringTable.h"

namespace quorvel {
namespace {

// A private directory tree that the tests fill with resource files.
struct TempTree {
    QTemporaryDir dir;
    std::filesystem::path root() const { return dir.path().toStdString(); }
    std::filesystem::path write(const std::filesystem::path &relative, std::string_view content) {
        std::filesystem::create_directories((root() / relative).parent_path());
        std::ofstream(root() / relative, std::ios::binary)
            .write(content.data(), std::streamsize(content.size()));
        return root() / relative;
    }
};

// Texts are kept; other values are left out; anything but one flat object,
// however broken, and any file that cannot or should not be read, gives an
// empty table and says so.
TEST(StringTable, KeepsTheTextsOfAFlatObjectAndIgnoresAnythingElse) {
    using Entries = std::map<std::string, std::string, std::less<>>;
    const std::string ignored = "the table is ignored";
    const struct {
        const char *name;
        std::string json;
        Entries entries;
        std::string problem;
    } cases[] = {
        {"texts",
         R"({"a": "Alpha", "b": "", "c": "Zeta \u00e9", "a": "Again"})",
         {{"a", "Again"}, {"b", ""}, {"c", "Zeta \xc3\xa9"}},
         ""},
        {"byte order mark", "\xef\xbb\xbf{\"k\": \"v\"}", {{"k", "v"}}, ""},
        {"values not texts",
         R"({"n": 1, "keep": "yes", "o": {"x": "nested"}, "l": ["y"], "t": true, "z": null,
             "f": 1.5, "after": "also"})",
         {{"keep", "yes"}, {"after", "also"}},
         "6 entries that are not texts"},
        {"trailing garbage", R"({"a": "b"} x)", {}, ignored},
        {"invalid UTF-8", "{\"a\": \"\xff\xfe\"}", {}, ignored},
        {"deep nesting", std::string(100000, '['), {}, ignored},
        {"deep nesting inside an entry", "{\"k\": " + std::string(100000, '{'), {}, ignored},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reading = StringTable::parse(c.json);
        EXPECT_EQ(reading.table.entries(), c.entries);
        EXPECT_EQ(reading.problem.empty(), c.problem.empty()) << reading.problem;
        EXPECT_NE(reading.problem.find(c.problem), std::string::npos) << reading.problem;
    }

    TempTree tree;
    std::filesystem::create_directories(tree.root() / "directory.json");
    for (const auto &file :
         {tree.write("huge.json",
                     "{\"k\": \"" + std::string(StringTable::kMaxFileSize, 'x') + "\"}"),
          tree.root() / "directory.json", tree.root() / "absent.json",
          std::filesystem::path("/dev/zero")}) {
        SCOPED_TRACE(file.string());
        const auto reading = StringTable::load(file);
        EXPECT_EQ(reading.table.size(), 0u);
        EXPECT_NE(reading.problem.find(ignored), std::string::npos);
    }
}

// A text comes from the language's table, the main resources' before the
// module bundle's, else English's, else it is the key; a plural one from its
// category's entry, else "other", else English's. A broken table counts as
// none and is reported once.
TEST(Localizer, FallsBackFromTheLanguageToEnglishToTheKey) {
    TempTree tree;
    const auto table = [&](const std::string &code, const std::string &json) {
        tree.write("bundle/" + code + ".lproj/Localizable.json", json);
    };
    table("en", R"({"only.en": "English", "both": "English both", "percent": "100% sure %@",
                    "two": "%@ then %@", "apps.one": "%ld app", "apps.other": "%ld apps",
                    "only.en.one": "EN one %ld", "only.en.other": "EN other %ld",
                    "froze.one": "%1$ld process, %2$@", "froze.other": "%2$@ in %1$ld processes",
                    "plain.other": "100%% of %ld"})");
    table("de", R"({"only.de": "Deutsch", "both": "Deutsch beide", "main": "bundle"})");
    tree.write("main/de.lproj/Localizable.json",
               R"({"only.de": "Deutsch", "both": "Deutsch beide", "main": "main",
                   "only.en": "\u0000QV_MISSING\u0000", "only.en.other": "DE other %ld"})");
    table("ru", R"({"apps.one": "%ld прил.", "apps.few": "%ld прил-я", "apps.many": "%ld прил-й",
                    "general.other": "всего %ld"})");
    table("es", R"(["not", "an", "object"])");
    const LocalizationRoots roots{tree.root() / "main", tree.root() / "bundle"};
    EXPECT_EQ(Localizer::installedLocales(roots),
              (std::vector<std::string>{"en", "de", "es", "ru"}));

    ::testing::internal::CaptureStderr();
    const struct {
        const char *locale;
        const char *key;
        std::optional<int64_t> count; // plural when given
        std::vector<L10nArg> args;
        const char *expected;
    } cases[] = {
        {"de", "both", {}, {}, "Deutsch beide"},
        {"de", "main", {}, {}, "main"},
        {"de", "only.en", {}, {}, "English"},   // the sentinel reads as missing
        {"fr", "both", {}, {}, "English both"}, // no tables of its own
        {"es", "both", {}, {}, "English both"}, // a broken table
        {"es", "both", {}, {}, "English both"},
        {"en", "percent", {}, {}, "100% sure %@"}, // formatted only with arguments
        {"en", "two", {}, {"first", "second"}, "first then second"},
        {"ru", "apps", 21, {}, "21 прил."},
        {"ru", "apps", -2, {}, "-2 прил-я"},
        {"ru", "apps", 11, {}, "11 прил-й"},
        {"ru", "apps", 111, {}, "111 прил-й"},
        {"ru", "apps", std::numeric_limits<int64_t>::min(), {}, "-9223372036854775808 прил-й"},
        {"ru", "general", 3, {}, "всего 3"},
        {"ru", "only.en", 2, {}, "EN other 2"},
        {"ru", "nowhere", 2, {}, "nowhere.few"},
        {"de", "only.en", 1, {}, "DE other 1"},          // before English's exact entry
        {"en", "froze", 1, {"2 GB"}, "1 process, 2 GB"}, // the count comes first
        {"en", "froze", 4, {"2 GB"}, "2 GB in 4 processes"},
        {"en", "plain", 3, {}, "100% of 3"}, // plural texts are always formatted
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.key);
        const Localizer localizer(c.locale, roots);
        EXPECT_EQ(c.count ? localizer.plural(c.key, *c.count, c.args) : localizer.t(c.key, c.args),
                  c.expected);
    }
    const std::string notes = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(notes.find("is not a JSON object; the table is ignored"), std::string::npos) << notes;
    EXPECT_EQ(notes.find("quorvel:"), notes.rfind("quorvel:")) << notes;

    // Without any tables at all, the keys show.
    const Localizer bare("de", {std::nullopt, tree.root() / "nothing"});
    EXPECT_EQ(bare.t("pro.list.heading"), "pro.list.heading");
    EXPECT_EQ(bare.plural("pro.rules.minutes", 5), "pro.rules.minutes.other");
}

// The running tests find the build tree's own tables, as the program does.
TEST(L10n, ServesTheInstalledTablesOfTheRun) {
    EXPECT_EQ(L10n::availableLocales(), Localizer::supportedLocales());
    EXPECT_NE(L10n::t("pro.list.heading"), "pro.list.heading");
    EXPECT_NE(L10n::plural("pro.rules.minutes", 5).find('5'), std::string::npos);
}

} // namespace
} // namespace quorvel
