#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <csignal>

#include "Support/IsolatedRun.h"

namespace {

// Starts quorvel, lets it build the model and take its first readings, then
// asks it to quit with `signalNumber`; true when it was still running then.
bool runUntilSignal(QProcess &quorvel, const QStringList &arguments, int signalNumber) {
    const quorvel::test::IsolatedRun run;
    quorvel.setProcessEnvironment(run.environment());
    quorvel.start(QStringLiteral(QUORVEL_BINARY), arguments);
    if (!quorvel.waitForStarted(10000)) return false;
    QTest::qWait(1000);
    if (quorvel.state() != QProcess::Running) return false;
    ::kill(static_cast<pid_t>(quorvel.processId()), signalNumber);
    return quorvel.waitForFinished(10000);
}

// Headless, the executable runs the live model alone and quits cleanly on request.
TEST(QuorvelProcess, QuitsCleanlyOnSignals) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        QProcess quorvel;
        ASSERT_TRUE(runUntilSignal(quorvel, {QStringLiteral("--headless")}, signalNumber));
        EXPECT_EQ(quorvel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quorvel.exitCode(), 0);
        EXPECT_EQ(quorvel.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(quorvel.readAllStandardError(), QByteArray());
    }
}

// With a display but no tray (the offscreen platform has none), the panel
// opens as a window; standard error says why, once, and a signal still quits.
TEST(QuorvelProcess, WithoutATrayOpensThePanelAsAWindow) {
    QProcess quorvel;
    const quorvel::test::IsolatedRun run;
    QProcessEnvironment environment = run.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quorvel.setProcessEnvironment(environment);
    // The note comes once the panel is built, well after the signals are
    // watched; a loaded machine may take longer than the usual second.
    quorvel.setReadChannel(QProcess::StandardError);
    quorvel.start(QStringLiteral(QUORVEL_BINARY), QStringList());
    ASSERT_TRUE(quorvel.waitForStarted(10000));
    QByteArray errorBytes;
    while (!errorBytes.contains("system tray")) {
        ASSERT_TRUE(quorvel.waitForReadyRead(60000)) << errorBytes.toStdString();
        errorBytes += quorvel.readAllStandardError();
    }
    ::kill(static_cast<pid_t>(quorvel.processId()), SIGTERM);
    ASSERT_TRUE(quorvel.waitForFinished(10000));
    EXPECT_EQ(quorvel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorvel.exitCode(), 0);
    const QString errors = QString::fromUtf8(errorBytes + quorvel.readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("system tray")), 1) << errors.toStdString();
}

} // namespace
