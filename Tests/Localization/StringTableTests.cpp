#include <gtest/gtest.h>

#include <string>

#include "Util/LprojBundle.h"
#include "Util/StringTable.h"
#include "TempTree.h"

namespace quorvel {
namespace {

using testing::TempTree;

constexpr std::string_view kMissing = "<missing>";

TEST(StringTable, KeepsTheTextsOfAFlatObject) {
    const auto reading =
        StringTable::parse(R"({"a": "Alpha", "b": "", "c": "Zeta \u00e9", "a": "Again"})");
    EXPECT_EQ(reading.problem, "");
    EXPECT_EQ(reading.table.size(), 3u);
    EXPECT_EQ(reading.table.text("a", kMissing), "Again");
    EXPECT_EQ(reading.table.text("b", kMissing), "");
    EXPECT_EQ(reading.table.text("c", kMissing), "Zeta \xc3\xa9");
    EXPECT_EQ(reading.table.text("d", kMissing), kMissing);
    EXPECT_EQ(StringTable::parse("\xef\xbb\xbf{\"k\": \"v\"}").table.text("k", kMissing), "v");
}

TEST(StringTable, SkipsEntriesThatAreNotTexts) {
    const auto reading = StringTable::parse(
        R"({"n": 1, "keep": "yes", "o": {"x": "nested"}, "l": ["y"], "t": true, "z": null,
            "f": 1.5, "after": "also"})");
    EXPECT_EQ(reading.table.size(), 2u);
    EXPECT_EQ(reading.table.text("keep", kMissing), "yes");
    EXPECT_EQ(reading.table.text("after", kMissing), "also");
    EXPECT_EQ(reading.table.text("x", kMissing), kMissing);
    EXPECT_NE(reading.problem.find("6 entries that are not texts"), std::string::npos)
        << reading.problem;
}

TEST(StringTable, TreatsBrokenInputAsEmpty) {
    const std::string deep(100000, '[');
    const std::string deepInside = "{\"k\": " + std::string(100000, '{');
    struct Case {
        const char *name;
        std::string json;
    };
    const Case cases[] = {
        {"empty", ""},
        {"array", R"(["a", "b"])"},
        {"text", R"("text")"},
        {"number", "42"},
        {"null", "null"},
        {"truncated", R"({"a": "b)"},
        {"trailing garbage", R"({"a": "b"} x)"},
        {"two objects", R"({"a": "b"}{"c": "d"})"},
        {"invalid UTF-8", "{\"a\": \"\xff\xfe\"}"},
        {"NUL byte", std::string("{\"a\": \"b\0\"}", 11)},
        {"deep nesting", deep},
        {"deep nesting inside an entry", deepInside},
        {"comment", "{\"a\": \"b\" /* c */}"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reading = StringTable::parse(c.json);
        EXPECT_EQ(reading.table.size(), 0u);
        EXPECT_NE(reading.problem.find("the table is ignored"), std::string::npos)
            << reading.problem;
    }
}

TEST(StringTable, RefusesFilesItCannotOrShouldNotRead) {
    TempTree tree;
    const auto good = tree.write("good.json", R"({"k": "v"})");
    EXPECT_EQ(StringTable::load(good).table.text("k", kMissing), "v");

    const auto huge =
        tree.write("huge.json", "{\"k\": \"" + std::string(StringTable::kMaxFileSize, 'x') + "\"}");
    const auto directory = tree.makeDirectory("directory.json");
    for (const auto &file :
         {huge, directory, tree.root() / "absent.json", std::filesystem::path("/dev/zero")}) {
        SCOPED_TRACE(file.string());
        const auto reading = StringTable::load(file);
        EXPECT_EQ(reading.table.size(), 0u);
        EXPECT_NE(reading.problem.find("the table is ignored"), std::string::npos);
    }
}

TEST(LprojBundle, OpensExistingDirectoriesAndReportsABrokenTableOnce) {
    TempTree tree;
    EXPECT_FALSE(LprojBundle::open(tree.root() / "de.lproj"));

    tree.write("en.lproj/Localizable.json", R"({"k": "v"})");
    const auto english = LprojBundle::open(tree.root() / "en.lproj");
    ASSERT_TRUE(english);
    EXPECT_EQ(english->table().text("k", kMissing), "v");

    tree.write("fr.lproj/Localizable.json", "{broken");
    ::testing::internal::CaptureStderr();
    const auto french = LprojBundle::open(tree.root() / "fr.lproj");
    const auto again = LprojBundle::open(tree.root() / "fr.lproj");
    const std::string notes = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(french && again);
    EXPECT_EQ(french->table().size(), 0u);
    const std::string file = (tree.root() / "fr.lproj" / "Localizable.json").string();
    EXPECT_EQ(notes, "quorvel: string table " + file +
                         " is not valid JSON (at byte 2); the table is ignored\n");

    // A language directory without its table still opens, empty.
    tree.makeDirectory("ja.lproj");
    ::testing::internal::CaptureStderr();
    const auto japanese = LprojBundle::open(tree.root() / "ja.lproj");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
    ASSERT_TRUE(japanese);
    EXPECT_EQ(japanese->table().size(), 0u);
}

} // namespace
} // namespace quorvel
