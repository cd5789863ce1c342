#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTest>

#include <string>

#include "Support/IsolatedRun.h"
#include "Support/QuorvelRun.h"
#include "Util/DisplayWidth.h"

namespace quorvel {
namespace {

using test::Finished;
using test::runQuorvel;

QProcessEnvironment environment(const test::IsolatedRun &run) {
    QProcessEnvironment environment = run.environment();
    environment.insert(QStringLiteral("QUORVEL_LOCALE"), QStringLiteral("en"));
    return environment;
}

TEST(CommandLine, OptionsEndTheRunWithTheirExitCodes) {
    const test::IsolatedRun run;
    struct Case {
        QStringList arguments;
        bool desktop;
        int exitCode;
        const char *inOut, *inErr;
    };
    for (const Case &c :
         {Case{{"--help"}, true, 0, "--print", ""}, Case{{"--version"}, true, 0, "quorvel ", ""},
          Case{{"--bogus"}, true, 2, "", "Usage: quorvel"},
          Case{{"stray"}, true, 2, "", "Usage: quorvel"},
          // Without a desktop session the tray points elsewhere.
          Case{{}, false, 1, "", "--headless"}}) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcessEnvironment env = environment(run);
        if (!c.desktop)
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QString::fromLatin1(name));
        const Finished finished = runQuorvel(c.arguments, env);
        EXPECT_EQ(finished.exitCode, c.exitCode);
        EXPECT_NE(finished.out.find(c.inOut), std::string::npos) << finished.out;
        EXPECT_NE(finished.err.find(c.inErr), std::string::npos) << finished.err;
    }
}

// The lock names the pid of the Quorvel that holds it.
bool lockHeldBy(const QString &path, const QProcess &process) {
    QFile lock(path);
    return lock.open(QIODevice::ReadOnly) &&
           lock.readLine().trimmed().toLongLong() == process.processId();
}

TEST(CommandLine, OnlyOneResidentQuorvelRunsPerUser) {
    const test::IsolatedRun run;
    const QString lockPath = run.runtimeDirectory() + QStringLiteral("/quorvel.lock");
    QProcess first;
    first.setProcessEnvironment(environment(run));
    first.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--headless")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return lockHeldBy(lockPath, first); }, 30000));

    const Finished second = runQuorvel({QStringLiteral("--headless")}, environment(run));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("already running"), std::string::npos) << second.err;
    EXPECT_EQ(runQuorvel({QStringLiteral("--print")}, environment(run)).exitCode, 0)
        << "the readouts take no lock";
    first.kill();
    EXPECT_TRUE(first.waitForFinished(10000));
}

// Wide and combining characters, and bytes that are not UTF-8.
TEST(DisplayWidth, CountsTerminalColumnsAndCutsToThem) {
    const std::pair<const char *, std::size_t> cases[] = {
        {"", 0},          {"Firefox", 7},  {"メモリ", 6},  {"内存 12", 7},
        {"e\xcc\x81", 1}, {"\xff\xfe", 2}, {"\xe3\x83", 2}};
    for (const auto &[text, width] : cases) EXPECT_EQ(displayWidth(text), width) << text;
    EXPECT_EQ(fitToColumns("Visual Studio Code", 8), "Visual …");
    EXPECT_EQ(fitToColumns("メモリメモリ", 5), "メモ…");
    EXPECT_EQ(fitToColumns("short", 8), "short");
}

} // namespace
} // namespace quorvel
