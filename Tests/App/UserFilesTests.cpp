#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "Defaults/SettingsDefaultsStore.h"
#include "DemoDiagnostics.h"
#include "Engine/ThresholdController.h"
#include "UI/ThresholdRulesView.h"
#include "UI/Toolkit/TextView.h"

namespace quorvel {
namespace {

using platform::SettingsDefaultsStore;

QByteArray contentsOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A linked settings file stays a link, through a chain of links and before
// its target exists; the target gets the new copy and keeps its mode.
TEST(UserFiles, TheSettingsFileIsSavedThroughItsLinks) {
    for (const bool targetExists : {true, false}) {
        QTemporaryDir directory;
        const QString target = directory.filePath("Quorvel.conf.real");
        if (targetExists) SettingsDefaultsStore(target).write({{"other", std::string("kept")}});
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        QFile::link("Quorvel.conf.real", directory.filePath("chain.conf"));
        QFile::link("chain.conf", directory.filePath("Quorvel.conf"));
        SettingsDefaultsStore store(directory.filePath("Quorvel.conf"));
        ASSERT_TRUE(store.write({{"saved", true}}));
        EXPECT_TRUE(QFileInfo(store.file()).isSymLink() &&
                    QFileInfo(directory.filePath("chain.conf")).isSymLink());
        EXPECT_EQ(SettingsDefaultsStore(target).boolValue("saved"), true);
        EXPECT_EQ(store.dataValue("other").value_or("none"), targetExists ? "kept" : "none");
        EXPECT_EQ(QFile::permissions(target).testFlag(QFile::ReadOther), targetExists);
    }
}

// The demo file lies where others may write too: only a free name or the user's own
// regular file is replaced, never through a link, and nothing is left beside it.
TEST(UserFiles, TheDemoFileIsNeverWrittenThroughALinkNorOverAnotherFile) {
    enum Planted { nothing, ownFile, othersFile, linkToFile, linkToNowhere, fifo };
    for (const Planted planted : {nothing, ownFile, othersFile, linkToFile, linkToNowhere, fifo}) {
        SCOPED_TRACE(planted);
        QTemporaryDir directory;
        const QString file = directory.filePath("quorvel-statusitem.txt");
        const bool atFile = planted == ownFile || planted == othersFile;
        QFile out(atFile ? file : directory.filePath("victim"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write("precious") == 8 && out.flush());
        ASSERT_TRUE(planted != othersFile || ::fchown(out.handle(), 65534, 65534) == 0);
        if (planted >= linkToFile)
            QFile::link(directory.filePath(planted == linkToFile ? "victim" : "nowhere"), file);
        ASSERT_TRUE(planted != fifo || (QFile::remove(file) && ::mkfifo(file.toUtf8(), 0600) == 0));
        DemoDiagnostics::write(file, "1.0 2.0 3.0 4.0\nok\n");
        // Reading a FIFO would wait for a writer, so only a regular file is read.
        const bool regular = QFileInfo(file).isFile() && !QFileInfo(file).isSymLink();
        EXPECT_EQ(regular && contentsOf(file) == "1.0 2.0 3.0 4.0\nok\n", planted <= ownFile);
        EXPECT_EQ(contentsOf(directory.filePath("victim")), atFile ? "" : "precious");
        EXPECT_EQ(QDir(directory.path()).entryList(QDir::AllEntries | QDir::System).size(),
                  atFile ? 3 : 4);
    }
}

// One broken rule drops them all, as the stored format has it; the rules
// screen then says so, and where they are kept.
TEST(UserFiles, UnreadableStoredRulesAreShownOnTheRulesScreen) {
    QTemporaryDir directory;
    const QString file = directory.filePath("Quorvel.conf");
    SettingsDefaultsStore(file).write({{"quorvel.threshold.rules", R"([{"limitBytes":-1}])"}});
    ThresholdController controller({nullptr, std::make_shared<SettingsDefaultsStore>(file), {}});
    ThresholdRulesView view(controller, [] {});
    ASSERT_NE(view.unreadableNote(), nullptr);
    const QString note = view.unreadableNote()->text();
    EXPECT_TRUE(note.contains(file) && note.contains("quorvel.threshold.rules.unreadable"));
}

// True once `pid` catches SIGTERM: a resident Quorvel is past its lock then.
bool catchesTerm(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Whatever a crash left in the runtime folder, the lock is taken; where none
// can be made, standard error says why, as it says once that stored rules are
// unreadable or that on GNOME they need Quorvel's Shell extension. Past a file-size limit the store
// edition's first save just fails. No start changes the settings file or leaves files beside it.
TEST(UserFiles, TakesTheLockWhateverACrashLeftAndSaysWhyWhenItCannot) {
    enum Case {
        emptyLock,
        garbageLock,
        fileSizeLimit,
        brokenRules,
        shellHidden,
        fifo,
        link,
        foreignFolder
    };
    const char *said[] = {"",
                          "",
                          "",
                          "not be read",
                          "gnome-extensions enable",
                          "regular file",
                          "symbolic link",
                          "no runtime"};
    for (int c = emptyLock; c <= foreignFolder; ++c) {
        SCOPED_TRACE(c);
        QTemporaryDir runtime, config, tmp;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        environment.insert("XDG_CONFIG_HOME", config.path());
        environment.insert("QUORVEL_LOCALE", "en");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        for (const char *name : {"XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY"})
            environment.remove(name);
        if (c == shellHidden) {
            environment.insert("XDG_CURRENT_DESKTOP", "GNOME");
            environment.insert("WAYLAND_DISPLAY", "wayland-quorvel-test");
        }
        const QString settings = config.filePath("Quorvel/Quorvel.conf");
        // 14 KB of rules, the last key of the file, where a cut-off copy ends.
        const std::string rules = *encodeRules(
            {{Uuid::random(), "proc:x", std::string(14 << 10, 'x'), 1, 1, RuleAction::notify, {}}});
        SettingsDefaultsStore(settings).write(
            {{"quorvel.threshold.rules", c == brokenRules ? R"([{"limitBytes":-1}])" : rules}});
        const QByteArray before = contentsOf(settings);
        QFile lock(runtime.filePath("quorvel.lock"));
        ASSERT_TRUE(c > garbageLock ||
                    (lock.open(QIODevice::WriteOnly) && lock.write("\xff\0\n", c * 3) >= 0));
        ASSERT_TRUE(c != fifo || ::mkfifo(lock.fileName().toUtf8(), 0600) == 0);
        ASSERT_TRUE(c != link || QFile::link(tmp.filePath("elsewhere"), lock.fileName()));
        if (c == foreignFolder) { // Qt's fallback, and not this user's
            const QString folder = tmp.filePath("runtime-" + QString(getpwuid(getuid())->pw_name));
            ASSERT_TRUE(QDir().mkdir(folder) && ::chown(folder.toUtf8(), 65534, 65534) == 0);
            environment.remove("XDG_RUNTIME_DIR");
            environment.insert("TMPDIR", tmp.path());
        }
        QProcess quorvel;
        quorvel.setProcessEnvironment(environment);
        quorvel.setChildProcessModifier([c] {
            const rlimit limit{4096, 4096};
            if (c == fileSizeLimit) ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        quorvel.start(QUORVEL_BINARY, {c == fileSizeLimit ? "--store-edition" : "--headless"});
        const auto settledNow = [&] {
            return quorvel.state() == QProcess::NotRunning || catchesTerm(quorvel.processId());
        };
        const bool settled = QTest::qWaitFor(settledNow, 30000);
        const bool up = settled && quorvel.state() == QProcess::Running;
        if (quorvel.state() == QProcess::Running)
            ::kill(static_cast<pid_t>(quorvel.processId()), settled ? SIGTERM : SIGKILL);
        ASSERT_TRUE(quorvel.state() == QProcess::NotRunning || quorvel.waitForFinished(10000));
        const QByteArray err = quorvel.readAllStandardError();
        EXPECT_EQ(up && quorvel.exitStatus() == QProcess::NormalExit && quorvel.exitCode() == 0,
                  c <= shellHidden);
        EXPECT_TRUE(*said[c] ? err.count(said[c]) == 1 : err.isEmpty() || c == fileSizeLimit)
            << "said once: " << err.toStdString();
        EXPECT_TRUE(c != brokenRules || err.contains(settings.toUtf8())) << err.toStdString();
        EXPECT_EQ(contentsOf(settings), before);
        EXPECT_EQ(QDir(config.filePath("Quorvel")).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"Quorvel.conf"});
    }
}

} // namespace
} // namespace quorvel
