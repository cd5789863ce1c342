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
    QProcessEnvironment environment = quorvel.processEnvironment();
    if (environment.isEmpty()) environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.runtimeDirectory());
    quorvel.setProcessEnvironment(environment);
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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quorvel.setProcessEnvironment(environment);
    ASSERT_TRUE(runUntilSignal(quorvel, {}, SIGTERM));
    EXPECT_EQ(quorvel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorvel.exitCode(), 0);
    const QString errors = QString::fromUtf8(quorvel.readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("system tray")), 1) << errors.toStdString();
}

} // namespace
