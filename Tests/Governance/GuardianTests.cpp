#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fstream>
#include <memory>
#include <string>

#include "../Process/ProbeChild.h"
#include "../Workspace/ProcState.h"
#include "Defaults/SettingsDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Guardian/FrozenRecord.h"
#include "System/WorkspaceProcesses.h"

namespace quorvel {
namespace {

constexpr int kPatience = 30000; // ms; only a broken build waits this long

using platform::FrozenEntry;
namespace FrozenRecord = platform::FrozenRecord;

// The real program, headless, in a home of its own, with an application
// made of the GovernedChild helper and a rule that freezes it at once.
class FrozenByQuorvel {
public:
    FrozenByQuorvel() {
        for (const char *sub : {"config", "share/applications", "runtime"})
            QDir().mkpath(home(sub));
        QFile::setPermissions(home("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const std::string program = ProbeChild::copyHelper(
            dir_, "bin/quorvel-guarded", QStringLiteral(QUORVEL_HELPER_DIR "/GovernedChild"));
        const QString entry = home("share/applications/org.quorvel.test.Guarded.desktop");
        QFile file(entry);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::fromStdString(
            "[Desktop Entry]\nType=Application\nName=Guarded\nExec=" + program + "\n"));
        file.close();

        ThresholdController rules({nullptr, settings(), nullptr});
        rules.addRule(entry.toStdString(), "Guarded");
        ThresholdRule rule = rules.rules().front();
        rule.limitBytes = 1;
        rule.sustainedSeconds = 0;
        rule.action = RuleAction::suspend;
        rule.isEnabled = true;
        rules.update(rule);
        rules.setAutomaticGovernanceOn(true);

        environment_ = QProcessEnvironment::systemEnvironment();
        for (const char *gone : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment_.remove(QString::fromLatin1(gone));
        environment_.insert("HOME", dir_.path());
        environment_.insert("XDG_CONFIG_HOME", home("config"));
        environment_.insert("XDG_DATA_HOME", home("share"));
        environment_.insert("XDG_DATA_DIRS", home("share"));
        environment_.insert("XDG_RUNTIME_DIR", home("runtime"));
        environment_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home("no-bus"));
        helper_ = std::make_unique<ProbeChild>(program, QStringList{"touch", "8", "tethered"});
    }

    ~FrozenByQuorvel() {
        for (pid_t pid : {quorvelPid(), guardian_})
            if (pid > 0) ::kill(pid, SIGKILL);
        quorvel_.waitForFinished(kPatience);
    }

    QString home(const char *sub) const { return dir_.filePath(QString::fromLatin1(sub)); }
    QString recordPath() const { return home("runtime/quorvel-frozen"); }
    std::shared_ptr<platform::SettingsDefaultsStore> settings() const {
        return std::make_shared<platform::SettingsDefaultsStore>(
            home("config/Quorvel/Quorvel.conf"));
    }
    pid_t helper() const { return helper_->started() ? helper_->pid() : 0; }
    pid_t quorvelPid() const { return static_cast<pid_t>(quorvel_.processId()); }
    pid_t guardian() const { return guardian_; }

    // Starts quorvel and waits for its guardian.
    bool start() {
        quorvel_.setProcessEnvironment(environment_);
        quorvel_.setStandardOutputFile(QProcess::nullDevice());
        quorvel_.setStandardErrorFile(home("quorvel.err"));
        quorvel_.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--headless")});
        if (!quorvel_.waitForStarted(kPatience)) return false;
        return QTest::qWaitFor([&] { return (guardian_ = guardianOf(quorvelPid())) > 0; },
                               kPatience);
    }

    bool helperStopped() const { return processState(helper()) == 'T'; }

    void kill(int signal) {
        ::kill(quorvelPid(), signal);
        quorvel_.waitForFinished(kPatience);
    }

private:
    static pid_t guardianOf(pid_t parent) {
        std::ifstream children("/proc/" + std::to_string(parent) + "/task/" +
                               std::to_string(parent) + "/children");
        for (pid_t child = 0; children >> child;) {
            std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
            std::string name;
            if (std::getline(comm, name) && name == "quorvel-guard") return child;
        }
        return 0;
    }

    QTemporaryDir dir_;
    QProcessEnvironment environment_;
    std::unique_ptr<ProbeChild> helper_;
    QProcess quorvel_;
    pid_t guardian_ = 0;
};

// However Quorvel dies, what it froze runs again: through the guardian when
// only Quorvel went, through the record file at the next start when the
// guardian went with it.
TEST(Guardian, WhatQuorvelFrozeRunsAgainAfterItDies) {
    enum class Death { killed, crashed, killedWithGuardian };
    for (const Death death : {Death::killed, Death::crashed, Death::killedWithGuardian}) {
        SCOPED_TRACE(static_cast<int>(death));
        FrozenByQuorvel run;
        ASSERT_GT(run.helper(), 0);
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(QTest::qWaitFor([&] { return run.helperStopped(); }, kPatience));
        const std::vector<FrozenEntry> recorded = FrozenRecord::read(run.recordPath());
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].pid, run.helper());
        EXPECT_EQ(recorded[0].appName, "Guarded");

        if (death == Death::killedWithGuardian) {
            // Stopped first, so Quorvel's end cannot reach it either.
            ::kill(run.guardian(), SIGSTOP);
            run.kill(SIGKILL);
            ::kill(run.guardian(), SIGKILL);
            ASSERT_TRUE(QTest::qWaitFor([&] { return processEnded(run.guardian()); }, kPatience));
            EXPECT_TRUE(run.helperStopped()) << "nothing else continued it";
            ThresholdController({nullptr, run.settings(), nullptr}).setAutomaticGovernanceOn(false);
            ASSERT_TRUE(run.start());
        } else {
            run.kill(death == Death::killed ? SIGKILL : SIGSEGV);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !run.helperStopped(); }, kPatience));
        if (death != Death::killedWithGuardian) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(run.guardian()); }, kPatience))
                << "the guardian ends once its work is done";
        } else {
            EXPECT_FALSE(QFile::exists(run.recordPath()));
        }
    }
}

// The next start continues only the very process the file names, stopped,
// and reads nothing from a file it cannot trust.
TEST(Guardian, TheRecordFileContinuesOnlyTheProcessItNames) {
    FrozenByQuorvel run;
    ASSERT_GT(run.helper(), 0);
    const auto self = WorkspaceProcesses::inspect(run.helper());
    ASSERT_TRUE(self && self->startTime > 0);
    ThresholdController({nullptr, run.settings(), nullptr}).setAutomaticGovernanceOn(false);
    ::kill(run.helper(), SIGSTOP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return run.helperStopped(); }, kPatience));

    // A process that took over the pid: same pid, another start time.
    ASSERT_TRUE(
        FrozenRecord::write(run.recordPath(), {{run.helper(), self->startTime + 1, "Guarded"}}));
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(run.recordPath()); }, kPatience));
    EXPECT_TRUE(run.helperStopped());
    ::kill(run.helper(), SIGCONT);
}

TEST(Guardian, AnUntrustworthyRecordFileReadsAsNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("record");
    const FrozenEntry entry{4242, 77, "Name with spaces"};
    ASSERT_TRUE(FrozenRecord::write(path, {entry, {4243, 78, "Two\nlines"}}));
    EXPECT_EQ(FrozenRecord::read(path), (std::vector<FrozenEntry>{entry, {4243, 78, "Two lines"}}));
    EXPECT_EQ(QFile(path).permissions() &
                  ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
              QFile::Permissions());

    const auto written = [&](const QByteArray &bytes) {
        QFile::remove(path);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    };
    const std::pair<const char *, QByteArray> cases[] = {
        {"garbage", QByteArray("\xff\xfe\x00garbage\n", 11)},
        {"no header", "4242 77 Name\n"},
        {"huge", "quorvel-frozen 1\n" + QByteArray(1 << 20, '7') + " 1 x\n"},
        {"pid 1 and below", "quorvel-frozen 1\n1 5 init\n0 5 x\n-1 5 all\n"},
        {"no start time", "quorvel-frozen 1\n4242 0 x\n4242 x y\n"},
        {"cut short", "quorvel-frozen 1\n4242 77 Na"},
    };
    for (const auto &[what, bytes] : cases) {
        written(bytes);
        EXPECT_TRUE(FrozenRecord::read(path).empty()) << what;
    }
    // Through a link: never followed.
    const QString target = dir.filePath("elsewhere");
    ASSERT_TRUE(FrozenRecord::write(target, {entry}));
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_TRUE(FrozenRecord::read(path).empty());
    EXPECT_TRUE(FrozenRecord::recover(path).empty());
    EXPECT_FALSE(QFileInfo::exists(path) || QFileInfo(path).isSymLink()) << "the link is removed";
    EXPECT_TRUE(QFile::exists(target)) << "what it pointed at is left alone";

    ASSERT_TRUE(FrozenRecord::write(path, {}));
    EXPECT_FALSE(QFile::exists(path)) << "an empty list leaves no file";
}

} // namespace
} // namespace quorvel
