#include <gtest/gtest.h>

#include <QDirIterator>

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>

#include "Util/Localizer.h"
#include "Util/LprojBundle.h"

// Checks the shipped string tables of the source tree against the keys the
// sources name and against the English table.
namespace quorvel {
namespace {

const LocalizationRoots kSourceRoots{
    std::nullopt, std::filesystem::path(QUORVEL_SOURCE_DIR) /
                      "Sources/QuorvelCore/Resources/Quorvel_QuorvelCore.bundle/Localization"};

StringTable::Reading table(const std::string &code) {
    const auto bundle = Localizer::lprojBundle(code, kSourceRoots);
    return StringTable::load(bundle ? bundle->directory() / LprojBundle::kTableFileName : "");
}

// Argument number (from 1) to kind, '@' a text and 'd' an integer; nothing
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

// Every key a source file names is in the English table, and each of the ten
// tables holds exactly English's keys, a plural key in each form its language
// needs, every text with English's placeholders.
TEST(StringTables, HoldEveryKeyWithItsPlaceholdersAndPluralFormsInAllTenLanguages) {
    ASSERT_EQ(Localizer::installedLocales(kSourceRoots), Localizer::supportedLocales());
    const auto english = table("en");
    ASSERT_EQ(english.problem, "");
    const auto &base = english.table.entries();
    std::set<std::string> plurals;
    for (const auto &[key, text] : base)
        if (key.ends_with(".other")) plurals.insert(key.substr(0, key.size() - 6));

    static const std::regex named(
        R"re("((?:pro|mas|governance|header|pressure|a11y)\.[A-Za-z.]*[A-Za-z])")re");
    for (QDirIterator it(QStringLiteral(QUORVEL_SOURCE_DIR "/Sources"),
                         {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile source(it.next());
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const std::string text = source.readAll().toStdString();
        for (auto m = std::sregex_iterator(text.begin(), text.end(), named);
             m != std::sregex_iterator(); ++m)
            EXPECT_TRUE(base.contains((*m)[1].str()) || plurals.contains((*m)[1].str()))
                << (*m)[1].str() << " in " << it.filePath().toStdString();
    }

    for (const std::string &code : Localizer::supportedLocales()) {
        SCOPED_TRACE(code);
        const auto reading = table(code);
        EXPECT_EQ(reading.problem, "");
        std::map<std::string, std::string> expected; // entry to English's text
        std::set<std::string> categories{"other"};
        for (int64_t count = 0; count < 200; ++count)
            categories.emplace(Localizer::pluralCategory(code, count));
        for (const auto &[key, text] : base) {
            const std::string stem = key.substr(0, key.rfind('.'));
            if (!plurals.contains(stem)) {
                expected.emplace(key, text);
                continue;
            }
            for (const std::string &category : categories)
                expected.emplace(stem + "." + category, base.at(stem + ".other"));
        }
        for (const auto &[key, text] : reading.table.entries())
            EXPECT_TRUE(expected.contains(key)) << "unknown key " << key;
        for (const auto &[key, englishText] : expected) {
            const std::string text(reading.table.text(key, Localizer::kMissing));
            ASSERT_NE(text, Localizer::kMissing) << "missing key " << key;
            EXPECT_FALSE(text.empty()) << key;
            const auto kinds = placeholderKinds(englishText);
            ASSERT_TRUE(kinds) << key << ": " << englishText;
            EXPECT_EQ(placeholderKinds(text), kinds) << key << ": " << text;
            // A text that is never formatted shows "%%" as it stands.
            const bool formatted =
                !kinds->empty() || plurals.contains(key.substr(0, key.rfind('.')));
            EXPECT_TRUE(formatted || text.find("%%") == std::string::npos) << key << ": " << text;
        }
    }
}

} // namespace
} // namespace quorvel
