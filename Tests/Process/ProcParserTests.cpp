#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "procparse.h"

namespace {

// A status file as the kernel writes it, with the lines the probe reads
// replaceable.
std::string statusText(const std::string &name = "Name:\tfirefox-esr",
                       const std::string &state = "State:\tS (sleeping)",
                       const std::string &ppid = "PPid:\t1203",
                       const std::string &uid = "Uid:\t1000\t1000\t1000\t1000",
                       const std::string &memory = "RssAnon:\t  204800 kB\nVmSwap:\t    1024 kB") {
    return name + "\nUmask:\t0022\n" + state + "\nTgid:\t4242\n" + ppid + "\n" + uid +
           "\nVmRSS:\t  1616 kB\n" + memory + "\nRssFile:\t  1504 kB\nThreads:\t1\n";
}

std::optional<qv_proc_status> parseStatus(const std::string &text) {
    qv_proc_status status;
    if (qv_parse_proc_status(text.data(), text.size(), &status) != 0) return std::nullopt;
    return status;
}

TEST(ProcStatusParser, ReadsTheLinesOfTheProbeAndEveryStateLetter) {
    const auto status = parseStatus(statusText());
    ASSERT_TRUE(status);
    EXPECT_STREQ(status->name, "firefox-esr");
    EXPECT_EQ(status->ppid, 1203);
    EXPECT_EQ(status->uid, 1000u);
    EXPECT_EQ(status->footprint, (204800u + 1024u) * 1024u);
    // The owner is the effective id: a setuid program belongs to whom it runs as.
    const auto su =
        parseStatus(statusText("Name:\tsu", "State:\tR", "PPid:\t1", "Uid:\t1\t0\t0\t0"));
    EXPECT_EQ(su.value().uid, 0u);
    const std::string letters = "RSDITtZXW?";
    const int32_t states[] = {2, 3, 3, 3, 4, 4, 5, 5, 0, 0};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const auto parsed =
            parseStatus(statusText("Name:\tx", std::string("State:\t") + letters[i]));
        EXPECT_EQ(parsed.value().status, states[i]) << letters[i];
    }
}

TEST(ProcStatusParser, FootprintIsZeroWhenItsLinesAreMissingOrBroken) {
    // clang-format off
    const std::pair<std::string, uint64_t> cases[] = {
        {"", 0} /* kernel thread, zombie */, {"VmSwap:\t 3 kB", 3 * 1024},
        {"RssAnon:\t 10 MB\nVmSwap:\t 3 kB", 0}, {"RssAnon:\t 10 kB junk\nVmSwap:\t 3 kB", 0},
        {"RssAnon:\t-10 kB\nVmSwap:\t 3 kB", 0}, {"RssAnon:\t 18014398509481984 kB", 0},
        {"RssAnon:\t 18014398509481983 kB\nVmSwap:\t 1 kB", UINT64_MAX} /* saturates */};
    // clang-format on
    for (const auto &[memory, expected] : cases) {
        const auto status = parseStatus(
            statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:\t0\t0\t0\t0", memory));
        EXPECT_EQ(status.value().footprint, expected) << memory;
    }
}

TEST(ProcStatusParser, RefusesFilesWithoutOwnerParentStateOrName) {
    const std::string cases[] = {
        "", "Name:\tx\nState:\tS\nPPid:\t1\n", "Name:\tx\nState:\tS\nUid:\t0\t0\t0\t0\n",
        "Name:\tx\nPPid:\t1\nUid:\t0\t0\t0\t0\n", "State:\tS\nPPid:\t1\nUid:\t0\t0\t0\t0\n",
        statusText("Name:\tx", "State:\t"),
        statusText("Name:\tx", "State:\tS", "PPid:\t2147483648"),
        statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:\t0\t4294967296\t0\t0"),
        // Cut off before the owner, as a file read while the process exits.
        statusText().substr(0, statusText().find("Uid:") + 3)};
    for (const std::string &text : cases) EXPECT_FALSE(parseStatus(text)) << text;
    qv_proc_status status;
    EXPECT_EQ(qv_parse_proc_status(nullptr, 10, &status), -1);
    EXPECT_EQ(qv_parse_proc_status("Name:\tx", 7, nullptr), -1);
}

TEST(ProcStatusParser, UndoesTheKernelsNameEscapesAndKeepsOddBytes) {
    const std::string n254(254, 'n');
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"line\\nbreak", "line\nbreak"}, {"back\\\\slash", "back\\slash"},
        {"trailing\\", "trailing\\"}, {"\xff\xfe\xc3(", "\xff\xfe\xc3("},
        {std::string(300, 'n'), std::string(255, 'n')}, {n254 + "\\n", n254 + "\n"}};
    // clang-format on
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(std::string(parseStatus(statusText("Name:\t" + name)).value().name), expected)
            << name;
    EXPECT_STREQ(parseStatus(statusText("Name:")).value().name, "");
}

TEST(ProcStatParser, FindsTheStartTimeAfterTheLastParenthesis) {
    const std::string fields = " R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ";
    // clang-format off
    const std::pair<std::string, std::optional<uint64_t>> cases[] = {
        {"8211 (cat)" + fields + "43745 3133440 364 18446744073709551615 0\n", 43745},
        {"8211 (a) b) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 99)" + fields + "77", 77},
        {"8211 (new\nline two)" + fields + "77\n", 77},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18", std::nullopt},
        {"8211 (x)" + fields + "7x7", std::nullopt},
        {"8211 x" + fields + "77", std::nullopt}, {"", std::nullopt}};
    // clang-format on
    for (const auto &[text, expected] : cases) {
        uint64_t value = 0;
        const bool parsed = qv_parse_proc_start_time(text.data(), text.size(), &value) == 0;
        EXPECT_EQ(parsed ? std::optional(value) : std::nullopt, expected) << text;
    }
    uint64_t value = 0;
    EXPECT_EQ(qv_parse_proc_start_time(nullptr, 4, &value), -1);
}

constexpr char kStat[] = "4242 (x) S 1203 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5000 0 0\n";

std::optional<qv_proc_record> record(const std::optional<std::string> &exe,
                                     const std::string &status = statusText(),
                                     const char *stat = kStat) {
    qv_proc_record record;
    if (qv_proc_record_from_texts(4242, status.data(), status.size(), stat,
                                  stat ? std::strlen(stat) : 0, exe ? exe->data() : nullptr,
                                  exe ? exe->size() : 0, &record) != 0)
        return std::nullopt;
    return record;
}

// The path comes from the exe link without " (deleted)", the name from its
// last part, else (or for an interpreter) from status; stat gives the start time. Without them both
// are unknown.
TEST(ProcRecord, CombinesStatusStatAndTheExecutableLink) {
    const std::string longDir = "/" + std::string(1500, 'd'), longName(300, 'f');
    struct Case {
        std::optional<std::string> link;
        std::string path, name;
    };
    const Case cases[] = {
        {"/opt/app/bin/app (deleted)", "/opt/app/bin/app", "app"},
        {"/opt/app/bin/app (deleted) (deleted)", "/opt/app/bin/app (deleted)", "app (deleted)"},
        {"/opt/\xff\xfe/odd\x80name", "/opt/\xff\xfe/odd\x80name", "odd\x80name"},
        {longDir + "/tool", longDir.substr(0, 1023), "tool"},
        {"/opt/" + longName, "/opt/" + longName, longName.substr(0, 255)},
        {"/opt/app/", "/opt/app/", "firefox-esr"},
        {" (deleted)", "", "firefox-esr"},
        {std::nullopt, "", "firefox-esr"},
        {"/usr/bin/python3.11", "/usr/bin/python3.11", "firefox-esr"},
        {"/usr/bin/bash", "/usr/bin/bash", "firefox-esr"},
        {"/usr/bin/pythonista", "/usr/bin/pythonista", "pythonista"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link.value_or("(unreadable)"));
        const auto result = record(c.link);
        ASSERT_TRUE(result);
        EXPECT_EQ(std::string(result->path), c.path);
        EXPECT_EQ(std::string(result->name), c.name);
        EXPECT_EQ(result->start_time, 5000u);
        EXPECT_EQ(result->footprint, (204800u + 1024u) * 1024u);
    }
    EXPECT_EQ(record("/bin/x", statusText(), nullptr)->start_time, 0u);
    EXPECT_EQ(record("/bin/x", statusText(), "4242 (x) S 1")->start_time, 0u);
}

// The marks that tell whether a process moved: schedstat's run time and
// statm's resident less shared pages.
TEST(ProcMarkParser, ReadsRunTimeAndPrivatePagesAndRefusesBrokenLines) {
    struct Case {
        const char *text;
        bool statm;
        int result;
        uint64_t value;
    };
    const Case cases[] = {
        {"882297 13250 9\n", false, 0, 882297},
        {"18446744073709551615 0 0\n", false, 0, UINT64_MAX},
        {"882297\n", false, -1, 0},
        {"x 1 2\n", false, -1, 0},
        {"", false, -1, 0},
        {"4533 2077 266 1 0 1910 0\n", true, 0, 1811},
        {"0 0 0 0 0 0 0\n", true, 0, 0} /* a kernel thread */,
        {"4533 266 2077 1 0 1910 0\n", true, -1, 0} /* more shared than resident */,
        {"4533 2077\n", true, -1, 0},
    };
    for (const Case &c : cases) {
        uint64_t value = 0;
        const int result = c.statm
                               ? qv_parse_statm_anon_pages(c.text, std::strlen(c.text), &value)
                               : qv_parse_schedstat_run_time(c.text, std::strlen(c.text), &value);
        EXPECT_EQ(result, c.result) << c.text;
        if (result == 0) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

} // namespace
