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
    return name + "\nUmask:\t0022\n" + state + "\nTgid:\t4242\nNgid:\t0\nPid:\t4242\n" + ppid +
           "\nTracerPid:\t0\n" + uid + "\nGid:\t1000\t1000\t1000\t1000\nFDSize:\t256\n" +
           "NSpid:\t4242\nVmPeak:\t 3060 kB\nVmRSS:\t  1616 kB\n" + memory +
           "\nRssFile:\t  1504 kB\nThreads:\t1\n";
}

std::optional<qv_proc_status> parseStatus(const std::string &text) {
    qv_proc_status status;
    if (qv_parse_proc_status(text.data(), text.size(), &status) != 0) return std::nullopt;
    return status;
}

TEST(ProcStatusParser, ReadsTheLinesOfTheProbe) {
    const auto status = parseStatus(statusText());
    ASSERT_TRUE(status);
    EXPECT_STREQ(status->name, "firefox-esr");
    EXPECT_EQ(status->ppid, 1203);
    EXPECT_EQ(status->uid, 1000u);
    EXPECT_EQ(status->status, QV_PROC_STATUS_SLEEPING);
    EXPECT_EQ(status->footprint, (204800u + 1024u) * 1024u);

    // The owner is the effective id: a setuid program belongs to whom it runs as.
    const auto setuid =
        parseStatus(statusText("Name:\tsu", "State:\tR", "PPid:\t1", "Uid:\t1000\t0\t0\t0"));
    ASSERT_TRUE(setuid);
    EXPECT_EQ(setuid->uid, 0u);
}

TEST(ProcStatusParser, MapsEveryStateLetter) {
    const std::pair<char, int32_t> cases[] = {
        {'R', 2}, {'S', 3}, {'D', 3}, {'I', 3}, {'T', 4}, {'t', 4},
        {'Z', 5}, {'X', 5}, {'W', 0}, {'P', 0}, {'K', 0}, {'?', 0},
    };
    for (const auto &[letter, expected] : cases) {
        SCOPED_TRACE(letter);
        EXPECT_EQ(qv_status_from_state(letter), expected);
        const auto status = parseStatus(statusText("Name:\tx", std::string("State:\t") + letter));
        ASSERT_TRUE(status);
        EXPECT_EQ(status->status, expected);
    }
}

TEST(ProcStatusParser, FootprintIsZeroWhenItsLinesAreMissingOrBroken) {
    const std::pair<std::string, uint64_t> cases[] = {
        {"", 0},                                            // kernel thread, zombie
        {"RssAnon:\t 10 kB", 10 * 1024},                    // no swap line
        {"VmSwap:\t 3 kB", 3 * 1024},                       // no resident line
        {"RssAnon:\t 10 MB\nVmSwap:\t 3 kB", 0},            // unknown unit
        {"RssAnon:\t 10 kB\nVmSwap:\t 3", 0},               // line cut short
        {"RssAnon:\t kB\nVmSwap:\t 3 kB", 0},               // no number
        {"RssAnon:\t 10 kB junk\nVmSwap:\t 3 kB", 0},       // junk after it
        {"RssAnon:\t-10 kB\nVmSwap:\t 3 kB", 0},            // negative
        {"RssAnon:\t 18014398509481984 kB", 0},             // overflows bytes
        {"RssAnon:\t 18014398509481983 kB\nVmSwap:\t 1 kB", // saturates
         UINT64_MAX},
    };
    for (const auto &[memory, expected] : cases) {
        SCOPED_TRACE(memory);
        const auto status = parseStatus(
            statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:\t0\t0\t0\t0", memory));
        ASSERT_TRUE(status);
        EXPECT_EQ(status->footprint, expected);
    }
}

TEST(ProcStatusParser, RefusesFilesWithoutOwnerParentStateOrName) {
    const std::string cases[] = {
        "",
        "Name:\tx\nState:\tS\nPPid:\t1\n",         // no Uid
        "Name:\tx\nState:\tS\nUid:\t0\t0\t0\t0\n", // no PPid
        "Name:\tx\nPPid:\t1\nUid:\t0\t0\t0\t0\n",  // no State
        "State:\tS\nPPid:\t1\nUid:\t0\t0\t0\t0\n", // no Name
        statusText("Name:\tx", "State:\t"),        // empty state
        statusText("Name:\tx", "State:\tS", "PPid:\tabc"),
        statusText("Name:\tx", "State:\tS", "PPid:\t2147483648"),
        statusText("Name:\tx", "State:\tS", "PPid:\t-1"),
        statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:\t1000"),
        statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:\t0\t4294967296\t0\t0"),
        statusText("Name:\tx", "State:\tS", "PPid:\t1", "Uid:"),
        // Cut off before the owner, as a file read while the process exits.
        statusText().substr(0, statusText().find("Uid:") + 3),
    };
    for (const std::string &text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseStatus(text));
    }
    qv_proc_status status;
    EXPECT_EQ(qv_parse_proc_status(nullptr, 10, &status), -1);
    EXPECT_EQ(qv_parse_proc_status("Name:\tx", 7, nullptr), -1);
}

TEST(ProcStatusParser, UndoesTheKernelsNameEscapesAndKeepsOddBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Name:\tplain", "plain"},
        {"Name:\tline\\nbreak", "line\nbreak"},
        {"Name:\tback\\\\slash", "back\\slash"},
        {"Name:\tother\\tescape", "other\\tescape"},
        {"Name:\ttrailing\\", "trailing\\"},
        {"Name:\t with\tblanks ", " with\tblanks "},
        {"Name:\t\xff\xfe\xc3(", "\xff\xfe\xc3("},
        {"Name:", ""},
        {"Name:\t" + std::string(300, 'n'), std::string(255, 'n')},
        {"Name:\t" + std::string(254, 'n') + "\\n", std::string(254, 'n') + "\n"},
    };
    for (const auto &[line, expected] : cases) {
        SCOPED_TRACE(line);
        const auto status = parseStatus(statusText(line));
        ASSERT_TRUE(status);
        EXPECT_EQ(std::string(status->name), expected);
    }
}

std::optional<uint64_t> startTime(const std::string &text) {
    uint64_t value = 0;
    if (qv_parse_proc_start_time(text.data(), text.size(), &value) != 0) return std::nullopt;
    return value;
}

TEST(ProcStatParser, FindsTheStartTimeAfterTheLastParenthesis) {
    const std::string tail = " R 8204 8204 4281 0 -1 4194304 101 0 0 0 0 0 0 0 20 0 1 0 43745 "
                             "3133440 364 18446744073709551615 94523263221760 0\n";
    const std::pair<std::string, std::optional<uint64_t>> cases[] = {
        {"8211 (cat)" + tail, 43745},
        {"8211 (a) b) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 99)" + tail, 43745},
        {"8211 (two words)" + tail, 43745},
        {"8211 (new\nline)" + tail, 43745},
        {"8211 ()" + tail, 43745},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 77", 77},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 77\n", 77},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18", std::nullopt},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 7x7", std::nullopt},
        {"8211 (x) R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -7", std::nullopt},
        {"8211 x R 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 77", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(startTime(text), expected);
    }
    uint64_t value = 0;
    EXPECT_EQ(qv_parse_proc_start_time(nullptr, 4, &value), -1);
}

struct Texts {
    std::string status = statusText();
    std::optional<std::string> stat =
        std::string("4242 (firefox-esr) S 1203 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5000 0 0\n");
    std::optional<std::string> exe = std::string("/usr/lib/firefox-esr/firefox-esr");
};

std::optional<qv_proc_record> record(const Texts &texts) {
    qv_proc_record record;
    const int result = qv_proc_record_from_texts(
        4242, texts.status.data(), texts.status.size(), texts.stat ? texts.stat->data() : nullptr,
        texts.stat ? texts.stat->size() : 0, texts.exe ? texts.exe->data() : nullptr,
        texts.exe ? texts.exe->size() : 0, &record);
    if (result != 0) return std::nullopt;
    return record;
}

TEST(ProcRecord, CombinesStatusStatAndExecutable) {
    const auto full = record(Texts{});
    ASSERT_TRUE(full);
    EXPECT_EQ(full->pid, 4242);
    EXPECT_EQ(full->ppid, 1203);
    EXPECT_EQ(full->uid, 1000u);
    EXPECT_EQ(full->status, QV_PROC_STATUS_SLEEPING);
    EXPECT_EQ(full->footprint, (204800u + 1024u) * 1024u);
    EXPECT_STREQ(full->path, "/usr/lib/firefox-esr/firefox-esr");
    EXPECT_STREQ(full->name, "firefox-esr");
    EXPECT_EQ(full->start_time, 5000u);

    // Without stat or executable the start time and path are unknown and the
    // kernel's command name stands in.
    Texts bare;
    bare.status = statusText("Name:\tkworker/0:1");
    bare.stat.reset();
    bare.exe.reset();
    const auto kernel = record(bare);
    ASSERT_TRUE(kernel);
    EXPECT_STREQ(kernel->path, "");
    EXPECT_STREQ(kernel->name, "kworker/0:1");
    EXPECT_EQ(kernel->start_time, 0u);

    Texts brokenStat;
    brokenStat.stat = "4242 (x) S 1";
    EXPECT_EQ(record(brokenStat)->start_time, 0u);
}

TEST(ProcRecord, TakesPathAndNameFromTheExecutableLink) {
    const std::string longDir = "/" + std::string(1500, 'd');
    const std::string longName(300, 'f');
    struct Case {
        std::string link;
        std::string path;
        std::string name;
    };
    const Case cases[] = {
        {"/opt/app/bin/app (deleted)", "/opt/app/bin/app", "app"},
        {"/opt/app/bin/app (deleted) (deleted)", "/opt/app/bin/app (deleted)", "app (deleted)"},
        {"/opt/My App/Helper Tool", "/opt/My App/Helper Tool", "Helper Tool"},
        {"/opt/\xff\xfe/odd\x80name", "/opt/\xff\xfe/odd\x80name", "odd\x80name"},
        {longDir + "/tool", longDir.substr(0, 1023), "tool"},
        {"/opt/" + longName, "/opt/" + longName, longName.substr(0, 255)},
        {"/opt/app/", "/opt/app/", "firefox-esr"},
        {" (deleted)", "", "firefox-esr"},
        {"", "", "firefox-esr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        Texts texts;
        texts.exe = c.link;
        const auto result = record(texts);
        ASSERT_TRUE(result);
        EXPECT_EQ(std::string(result->path), c.path);
        EXPECT_EQ(std::string(result->name), c.name);
    }
}

TEST(ProcRecord, LeavesTheRecordUntouchedWhenStatusDoesNotParse) {
    qv_proc_record target;
    std::memset(&target, 0xAB, sizeof target);
    qv_proc_record before = target;
    const std::string broken = "Name:\tx\n";
    EXPECT_EQ(
        qv_proc_record_from_texts(1, broken.data(), broken.size(), nullptr, 0, nullptr, 0, &target),
        -1);
    EXPECT_EQ(std::memcmp(&target, &before, sizeof target), 0);
    const std::string good = statusText();
    EXPECT_EQ(
        qv_proc_record_from_texts(1, good.data(), good.size(), nullptr, 0, nullptr, 0, nullptr),
        -1);
}

TEST(ProcEntryNames, OnlyPositiveDecimalPidsCount) {
    const std::pair<const char *, int32_t> cases[] = {
        {"1", 1},           {"4242", 4242},      {"2147483647", INT32_MAX},
        {"2147483648", -1}, {"0", -1},           {"-1", -1},
        {"self", -1},       {"thread-self", -1}, {"12a", -1},
        {"", -1},           {" 12", -1},         {"99999999999999999999", -1},
    };
    for (const auto &[name, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(qv_pid_from_entry_name(name), expected);
    }
    EXPECT_EQ(qv_pid_from_entry_name(nullptr), -1);
}

} // namespace
