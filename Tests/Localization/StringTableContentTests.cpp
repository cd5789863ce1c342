#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "KeyVocabulary.h"
#include "Util/Localizer.h"
#include "Util/LprojBundle.h"

// Checks the shipped string tables of the source tree: every table that is
// present, against the key vocabulary and against its own rendering.
namespace quorvel {
namespace {

using testing::keyVocabulary;
using testing::VocabularyKey;

LocalizationRoots sourceRoots() {
    return {std::nullopt,
            std::filesystem::path(QUORVEL_SOURCE_DIR) /
                "Sources/QuorvelCore/Resources/Quorvel_QuorvelCore.bundle/Localization"};
}

// The categories a language's plural entries need: those its rule gives,
// and "other", which every language keeps.
std::set<std::string> pluralCategories(const std::string &code) {
    std::set<std::string> categories{"other"};
    for (int64_t count = 0; count < 200; ++count) {
        categories.emplace(Localizer::pluralCategory(code, count));
    }
    return categories;
}

// Argument number (from 1) to kind, as a text's placeholders use them; nothing
// when a placeholder is malformed or one argument is used with two kinds.
std::optional<std::map<std::size_t, char>> placeholderKinds(const std::string &text) {
    static const std::regex placeholder(R"(%(?:([0-9]+)\$)?(@|lld|ld|d)|%%|%)");
    std::map<std::size_t, char> kinds;
    std::size_t sequential = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        const std::smatch &match = *it;
        if (match.str() == "%%") continue;
        if (!match[2].matched) return std::nullopt;
        const std::size_t index = match[1].matched ? std::stoul(match[1].str()) : ++sequential;
        const char kind = match[2].str() == "@" ? '@' : 'd';
        if (!kinds.emplace(index, kind).second && kinds[index] != kind) return std::nullopt;
    }
    return kinds;
}

std::map<std::size_t, char> expectedKinds(const VocabularyKey &key) {
    std::map<std::size_t, char> kinds;
    if (key.plural) kinds[1] = 'd';
    for (char kind : key.arguments)
        kinds[kinds.size() + 1] = kind;
    return kinds;
}

// The entries of a table that stand for a vocabulary key, with the key.
std::map<std::string, const VocabularyKey *> expectedEntries(const std::string &code) {
    std::map<std::string, const VocabularyKey *> entries;
    for (const VocabularyKey &key : keyVocabulary()) {
        if (!key.plural) {
            entries.emplace(key.key, &key);
            continue;
        }
        for (const std::string &category : pluralCategories(code)) {
            entries.emplace(std::string(key.key) + "." + category, &key);
        }
    }
    return entries;
}

TEST(StringTables, EnglishIsInstalled) {
    const std::vector<std::string> installed = Localizer::installedLocales(sourceRoots());
    ASSERT_FALSE(installed.empty());
    EXPECT_EQ(installed.front(), "en");
}

// Each table holds exactly the vocabulary's entries, and every text uses the
// arguments its key receives, with their kinds, as the English text does.
TEST(StringTables, MatchTheKeyVocabulary) {
    for (const std::string &code : Localizer::installedLocales(sourceRoots())) {
        SCOPED_TRACE(code);
        const auto bundle = Localizer::lprojBundle(code, sourceRoots());
        ASSERT_TRUE(bundle);
        const auto reading = StringTable::load(bundle->directory() / LprojBundle::kTableFileName);
        EXPECT_EQ(reading.problem, "");
        const auto &entries = reading.table.entries();
        const auto expected = expectedEntries(code);
        for (const auto &[entry, key] : expected) {
            const auto found = entries.find(entry);
            if (found == entries.end()) {
                ADD_FAILURE() << "missing key " << entry;
                continue;
            }
            const auto kinds = placeholderKinds(found->second);
            if (key->plural || !key->arguments.empty()) {
                EXPECT_EQ(kinds, expectedKinds(*key)) << entry << ": " << found->second;
            } else {
                // Shown as it stands: "%" is written once and no placeholder can be filled.
                EXPECT_EQ(found->second.find("%%"), std::string::npos) << entry;
                EXPECT_TRUE(kinds && kinds->empty()) << entry << ": " << found->second;
            }
            EXPECT_FALSE(found->second.empty()) << entry;
        }
        for (const auto &[entry, text] : entries) {
            EXPECT_TRUE(expected.contains(entry)) << "unknown key " << entry;
        }
    }
}

// Renders every key with sample arguments: the result is never empty, never
// the key, has no placeholder left, and holds each text argument.
TEST(StringTables, RenderEveryKeyWithSampleArguments) {
    static const std::regex leftover(R"(%(?:[0-9]+\$)?(?:@|lld|ld|d)|%%)");
    const std::vector<std::string> samples{"Firefox", "2.5 GB", "6 GB", "5 minutes"};
    for (const std::string &code : Localizer::installedLocales(sourceRoots())) {
        SCOPED_TRACE(code);
        const Localizer localizer(code, sourceRoots());
        for (const VocabularyKey &key : keyVocabulary()) {
            SCOPED_TRACE(std::string(key.key));
            std::vector<L10nArg> arguments;
            std::vector<std::string_view> texts;
            for (std::size_t i = 0; i < key.arguments.size(); ++i) {
                if (key.arguments[i] == '@') {
                    arguments.emplace_back(samples[i]);
                    texts.push_back(samples[i]);
                } else {
                    arguments.emplace_back(int64_t{3});
                }
            }
            std::vector<std::string> results;
            if (key.plural) {
                for (int64_t count : {0, 1, 2, 3, 5, 11, 21, 22, 25, 101, 111}) {
                    results.push_back(localizer.plural(key.key, count, arguments));
                }
            } else {
                results.push_back(localizer.t(key.key, arguments));
            }
            for (const std::string &result : results) {
                EXPECT_FALSE(result.empty());
                EXPECT_FALSE(result.starts_with(key.key)) << result;
                EXPECT_FALSE(std::regex_search(result, leftover)) << result;
                for (std::string_view text : texts) {
                    EXPECT_NE(result.find(text), std::string::npos) << result;
                }
            }
        }
    }
}

TEST(StringTables, AllTenLanguagesAreInstalled) {
    const std::vector<std::string> installed = Localizer::installedLocales(sourceRoots());
    if (installed.size() < Localizer::supportedLocales().size()) {
        std::string codes;
        for (const std::string &code : installed)
            codes += " " + code;
        GTEST_SKIP() << "only " << installed.size() << " of the ten string tables are present ("
                     << codes << " ); this check applies once every translation is in";
    }
    EXPECT_EQ(installed, Localizer::supportedLocales());
}

} // namespace
} // namespace quorvel
