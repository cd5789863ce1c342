#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

// The executable runs the live model headless and quits cleanly on request.
TEST(QuorvelProcess, QuitsCleanlyOnSignals) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        QProcess quorvel;
        quorvel.start(QStringLiteral(QUORVEL_BINARY), {});
        ASSERT_TRUE(quorvel.waitForStarted(10000));
        // Give it time to build the model and take its first readings.
        QTest::qWait(1000);
        ASSERT_EQ(quorvel.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(quorvel.processId()), signalNumber);
        ASSERT_TRUE(quorvel.waitForFinished(10000));
        EXPECT_EQ(quorvel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quorvel.exitCode(), 0);
        EXPECT_EQ(quorvel.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(quorvel.readAllStandardError(), QByteArray());
    }
}

} // namespace
