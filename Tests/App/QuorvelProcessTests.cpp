#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "Apps/DesktopEntryFile.h"
#include "Notifications/FreedesktopNotifier.h"
#include "Support/IsolatedRun.h"

namespace quorvel {
namespace {

// Starts quorvel with its own lock directory, a display without a tray and
// English strings.
void start(QProcess &process, const test::IsolatedRun &run, const QStringList &arguments) {
    QProcessEnvironment environment = run.environment();
    environment.insert(QStringLiteral("QUORVEL_LOCALE"), QStringLiteral("en"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUORVEL_BINARY), arguments);
}

// True once `pid` has a handler of its own for `signalNumber`.
bool catches(qint64 pid, int signalNumber) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signalNumber - 1)) & 1;
    }
    return false;
}

// Whether `pid` has a library whose file name contains `library` mapped.
bool maps(qint64 pid, const char *library) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find(library) != std::string::npos) return true;
    }
    return false;
}

// Headless, it runs the live model alone without loading Qt Gui or Widgets,
// nor GIO before it starts an application;
// without a tray, the panel opens as a window and standard error says why,
// once. Either way a signal quits.
TEST(QuorvelProcess, QuitsCleanlyOnSignals) {
    const struct {
        QStringList arguments;
        int signalNumber;
        const char *note;
    } cases[] = {{{QStringLiteral("--headless")}, SIGTERM, ""},
                 {{QStringLiteral("--headless")}, SIGINT, ""},
                 {{QStringLiteral("--headless")}, SIGHUP, ""},
                 {{}, SIGTERM, "system tray"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + std::to_string(c.signalNumber));
        const test::IsolatedRun run;
        QProcess quorvel;
        start(quorvel, run, c.arguments);
        ASSERT_TRUE(quorvel.waitForStarted(10000));
        QByteArray errors;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                errors += quorvel.readAllStandardError();
                return catches(quorvel.processId(), c.signalNumber) && errors.contains(c.note);
            },
            60000))
            << errors.toStdString();
        const struct {
            const char *library;
            std::optional<bool> whenDrawing; // unset: the drawing program may or may not
        } libraries[] = {
            {"libQt6Gui.so", true}, {"libQt6Widgets.so", true}, {"libgio-2.0.so", std::nullopt}};
        const bool drawing = c.arguments.isEmpty();
        for (const auto &l : libraries) {
            if (drawing && !l.whenDrawing) continue;
            EXPECT_EQ(maps(quorvel.processId(), l.library), drawing && *l.whenDrawing) << l.library;
        }
        ::kill(static_cast<pid_t>(quorvel.processId()), c.signalNumber);
        ASSERT_TRUE(quorvel.waitForFinished(10000));
        EXPECT_EQ(quorvel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quorvel.exitCode(), 0);
        EXPECT_EQ(quorvel.readAllStandardOutput(), QByteArray());
        errors += quorvel.readAllStandardError();
        // The note once, or nothing at all.
        EXPECT_EQ(*c.note ? errors.count(c.note) : errors.size(), *c.note ? 1 : 0)
            << errors.toStdString();
    }
}

// The shipped entry is a shown application under the ID its notifications
// name, and it starts this very program.
TEST(QuorvelProcess, ItsDesktopEntryStartsItUnderTheIdItsNotificationsCarry) {
    const std::string id = platform::NotifierIdentity().desktopEntry.toStdString();
    const QByteArray path = qgetenv("PATH"); // installed, `quorvel` is on the PATH
    qputenv("PATH", QFile::encodeName(QFileInfo(QUORVEL_BINARY).absolutePath()) + ":" + path);
    const platform::DesktopEntryFile file = platform::DesktopEntryFile::read(
        QUORVEL_SOURCE_DIR "/Sources/QuorvelDirect/Resources/" + id + ".desktop", id);
    qputenv("PATH", path);
    ASSERT_TRUE(file.entry) << "a shown application entry";
    EXPECT_EQ(file.entry->application.id, id);
    ASSERT_EQ(file.entry->programs.size(), 1u);
    EXPECT_EQ(file.entry->programs[0].path, std::filesystem::canonical(QUORVEL_BINARY).string());
}

} // namespace
} // namespace quorvel
