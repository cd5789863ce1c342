#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <csignal>
#include <string>

#include "Support/IsolatedRun.h"
#include "Support/QuorvelRun.h"
#include "Util/DisplayWidth.h"

namespace quorvel {
namespace {

using test::Finished;
using test::runQuorvel;

QProcessEnvironment english(const test::IsolatedRun &run) {
    QProcessEnvironment environment = run.environment();
    environment.insert(QStringLiteral("QUORVEL_LOCALE"), QStringLiteral("en"));
    return environment;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

TEST(CommandLine, OptionsEndTheRunWithTheirExitCodes) {
    const test::IsolatedRun run;
    struct Case {
        QStringList arguments;
        int exitCode;
        const char *inOut;
        const char *inErr;
    };
    for (const Case &c :
         {Case{{"--help"}, 0, "--print", ""}, Case{{"--version"}, 0, "quorvel ", ""},
          Case{{"--bogus"}, 2, "", "Usage: quorvel"}, Case{{"stray"}, 2, "", "Usage: quorvel"}}) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Finished finished = runQuorvel(c.arguments, english(run));
        EXPECT_EQ(finished.exitCode, c.exitCode);
        EXPECT_NE(finished.out.find(c.inOut), std::string::npos) << finished.out;
        EXPECT_NE(finished.err.find(c.inErr), std::string::npos) << finished.err;
    }
}

TEST(CommandLine, WithoutADesktopSessionTheTrayPointsElsewhere) {
    const test::IsolatedRun run;
    QProcessEnvironment environment = english(run);
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    const Finished finished = runQuorvel({}, environment);
    EXPECT_EQ(finished.exitCode, 1);
    EXPECT_NE(finished.err.find("--headless"), std::string::npos) << finished.err;
    EXPECT_NE(finished.err.find("--print"), std::string::npos) << finished.err;
}

TEST(CommandLine, PrintShowsTheHeaderAndAtMostTenAlignedRows) {
    for (const char *locale : {"en", "ja"}) {
        SCOPED_TRACE(locale);
        const test::IsolatedRun run;
        QProcessEnvironment environment = run.environment();
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), QString::fromLatin1(locale));
        const Finished finished = runQuorvel({QStringLiteral("--print")}, environment);
        ASSERT_EQ(finished.exitCode, 0) << finished.err;
        EXPECT_EQ(finished.out.find('\x1b'), std::string::npos) << "no colours into a pipe";

        const std::vector<std::string> all = lines(finished.out);
        ASSERT_GE(all.size(), 5u) << finished.out;
        EXPECT_EQ(all[0].rfind(locale == std::string("en") ? "Memory  " : "メモリ  ", 0), 0u);
        EXPECT_NE(all[1].find(" GB"), std::string::npos) << all[1];
        EXPECT_TRUE(all[2].empty());
        const std::vector<std::string> rows(all.begin() + 4, all.end());
        ASSERT_FALSE(rows.empty());
        EXPECT_LE(rows.size(), 10u);
        // The current footprint ends in the same column on every row.
        std::size_t column = 0;
        for (const std::string &row : rows) {
            const std::size_t unitEnd = row.find("B  ");
            ASSERT_NE(unitEnd, std::string::npos) << row;
            const std::size_t end = displayWidth(row.substr(0, unitEnd + 1));
            if (column == 0) column = end;
            EXPECT_EQ(end, column) << row;
        }
    }
}

TEST(CommandLine, JsonHoldsTheSnapshotAndTheGroupsWithEveryKey) {
    const test::IsolatedRun run;
    const Finished finished = runQuorvel({QStringLiteral("--json")}, english(run));
    ASSERT_EQ(finished.exitCode, 0) << finished.err;
    const nlohmann::json document = nlohmann::json::parse(finished.out);

    EXPECT_TRUE(document.at("time").is_string());
    const nlohmann::json &pressure = document.at("pressure");
    const std::string level = pressure.at("level");
    EXPECT_TRUE(level == "normal" || level == "warning" || level == "critical") << level;
    const nlohmann::json &vm = pressure.at("vm");
    ASSERT_TRUE(vm.is_object());
    EXPECT_GT(vm.at("totalBytes").get<uint64_t>(), 0u);
    EXPECT_LE(vm.at("usedBytes").get<uint64_t>(), vm.at("totalBytes").get<uint64_t>());
    EXPECT_LE(vm.at("swapUsed").get<uint64_t>(), vm.at("swapTotal").get<uint64_t>());
    EXPECT_GE(vm.at("usedFraction").get<double>(), 0.0);
    EXPECT_LE(vm.at("usedFraction").get<double>(), 1.0);

    const nlohmann::json &groups = document.at("groups");
    ASSERT_FALSE(groups.empty());
    EXPECT_LE(groups.size(), 40u);
    uint64_t previous = UINT64_MAX;
    for (const nlohmann::json &group : groups) {
        for (const char *key : {"key", "displayName", "appPath", "bundleID", "current", "peak",
                                "isKnownHog", "hogLabel", "isStopped", "processes"}) {
            EXPECT_TRUE(group.contains(key)) << key;
        }
        const uint64_t current = group.at("current");
        EXPECT_LE(current, previous) << "largest first";
        EXPECT_GE(group.at("peak").get<uint64_t>(), current);
        previous = current;
        uint64_t summed = 0;
        for (const nlohmann::json &process : group.at("processes")) {
            for (const char *key : {"pid", "ppid", "uid", "status", "footprint", "name", "path"}) {
                EXPECT_TRUE(process.contains(key)) << key;
            }
            summed += process.at("footprint").get<uint64_t>();
        }
        EXPECT_EQ(summed, current);
    }
}

TEST(CommandLine, OnlyOneResidentQuorvelRunsPerUser) {
    const test::IsolatedRun run;
    QProcess first;
    first.setProcessEnvironment(english(run));
    first.setReadChannel(QProcess::StandardError);
    first.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--headless")});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The lock is taken before the model starts; wait until it is there.
    const QString lockPath = run.runtimeDirectory() + QStringLiteral("/quorvel.lock");
    for (int i = 0; i < 300 && !QFile::exists(lockPath); ++i) first.waitForFinished(100);
    ASSERT_TRUE(QFile::exists(lockPath));

    const Finished second = runQuorvel({QStringLiteral("--headless")}, english(run));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("already running"), std::string::npos) << second.err;
    // The readouts take no lock.
    EXPECT_EQ(runQuorvel({QStringLiteral("--version")}, english(run)).exitCode, 0);

    // A lock left by a Quorvel that was killed is taken over.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(lockPath));
    QProcess third;
    third.setProcessEnvironment(english(run));
    third.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--headless")});
    ASSERT_TRUE(third.waitForStarted(10000));
    EXPECT_FALSE(third.waitForFinished(1500)) << third.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(third.processId()), SIGTERM);
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitCode(), 0);
}

TEST(DisplayWidth, CountsTerminalColumns) {
    struct Case {
        const char *text;
        std::size_t width;
    };
    for (const Case &c : {Case{"", 0}, Case{"Firefox", 7}, Case{"メモリ", 6}, Case{"内存 12", 7},
                          Case{"e\xcc\x81", 1}, Case{"\xff\xfe", 2}, Case{"\xe3\x83", 2}}) {
        EXPECT_EQ(displayWidth(c.text), c.width) << c.text;
    }
    EXPECT_EQ(fitToColumns("Visual Studio Code", 8), "Visual …");
    EXPECT_EQ(fitToColumns("メモリメモリ", 5), "メモ…");
    EXPECT_EQ(fitToColumns("short", 8), "short");
}

} // namespace
} // namespace quorvel
