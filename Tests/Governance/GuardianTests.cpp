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

#include "Defaults/SettingsDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Governance/LiveGovernor.h"
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
        for (const char *sub : {"config", "runtime"}) QDir().mkpath(home(sub));
        QFile::setPermissions(home("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ThresholdController rules({nullptr, settings(), nullptr});
        rules.addRule(application_.entry, "Governed");
        ThresholdRule rule = rules.rules().front();
        rule.limitBytes = 1;
        rule.sustainedSeconds = 0;
        rule.action = RuleAction::suspend;
        rule.isEnabled = true;
        rules.update(rule);
        rules.setAutomaticGovernanceOn(true);

        environment_ = QProcessEnvironment::systemEnvironment();
        // No desktop: nothing is in front, so the rule may act.
        for (const char *gone : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SWAYSOCK",
                                 "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"})
            environment_.remove(QString::fromLatin1(gone));
        environment_.insert("HOME", dir_.path());
        environment_.insert("XDG_CONFIG_HOME", home("config"));
        environment_.insert("XDG_DATA_HOME", home("share"));
        environment_.insert("XDG_DATA_DIRS", application_.dir.path());
        environment_.insert("XDG_RUNTIME_DIR", home("runtime"));
        environment_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home("no-bus"));
        helper_ = std::make_unique<ProbeChild>(application_.program,
                                               QStringList{"touch", "8", "tethered"});
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
    bool helperStopped() const { return processState(helper()) == 'T'; }

    // Starts quorvel and waits for its first child, the guardian, named so
    // that users recognise it.
    bool start() {
        quorvel_.setProcessEnvironment(environment_);
        quorvel_.setStandardOutputFile(QProcess::nullDevice());
        quorvel_.setStandardErrorFile(home("quorvel.err"));
        quorvel_.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--headless")});
        const auto named = [&] {
            guardian_ = firstChildOf(quorvelPid());
            std::ifstream comm("/proc/" + std::to_string(guardian_) + "/comm");
            std::string name;
            return std::getline(comm, name) && name == "quorvel-guard";
        };
        return quorvel_.waitForStarted(kPatience) && QTest::qWaitFor(named, kPatience);
    }

    // Kills quorvel, and first its guardian when `alsoGuardian`: stopped
    // first, so that Quorvel's end cannot reach it either.
    void kill(int signal, bool alsoGuardian) {
        if (alsoGuardian) ::kill(guardian_, SIGSTOP);
        ::kill(quorvelPid(), signal);
        quorvel_.waitForFinished(kPatience);
        if (alsoGuardian) ::kill(guardian_, SIGKILL);
    }
    bool guardianEnded() const {
        return QTest::qWaitFor([&] { return processEnded(guardian_); }, kPatience);
    }

private:
    QTemporaryDir dir_;
    testing::GovernedApplication application_;
    QProcessEnvironment environment_;
    std::unique_ptr<ProbeChild> helper_;
    QProcess quorvel_;
    pid_t guardian_ = 0;
};

// However Quorvel dies, what it froze runs again: through the guardian when
// only Quorvel went (which then removes the record file, so a later start
// never continues what the user stops on purpose meanwhile), through the
// record file at the next start when the guardian went with it. A stopped
// process that took over a recorded pid is left alone.
TEST(Guardian, WhatQuorvelFrozeRunsAgainAfterItDies) {
    for (const int death : {SIGKILL, SIGSEGV, 0}) {
        SCOPED_TRACE(death);
        FrozenByQuorvel run;
        ASSERT_GT(run.helper(), 0);
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(QTest::qWaitFor([&] { return run.helperStopped(); }, kPatience));
        const std::vector<FrozenEntry> recorded = FrozenRecord::read(run.recordPath());
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].pid, run.helper());
        EXPECT_EQ(recorded[0].appName, "Governed");

        run.kill(death ? death : SIGKILL, death == 0);
        ASSERT_TRUE(run.guardianEnded());
        if (death) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !run.helperStopped(); }, kPatience));
            EXPECT_FALSE(QFile::exists(run.recordPath()));
            continue;
        }
        EXPECT_TRUE(run.helperStopped()) << "nothing else continued it";
        ProbeChild other(ProbeChild::helperPath().toStdString());
        ::kill(other.pid(), SIGSTOP);
        ASSERT_TRUE(QTest::qWaitFor([&] { return processState(other.pid()) == 'T'; }, kPatience));
        const auto now = WorkspaceProcesses::inspect(other.pid());
        ASSERT_TRUE(now);
        ASSERT_TRUE(FrozenRecord::write(run.recordPath(),
                                        {recorded[0], {other.pid(), now->startTime + 1, "Other"}}));
        ThresholdController({nullptr, run.settings(), nullptr}).setAutomaticGovernanceOn(false);
        ASSERT_TRUE(run.start());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !run.helperStopped(); }, kPatience));
        EXPECT_FALSE(QFile::exists(run.recordPath()));
        EXPECT_EQ(processState(other.pid()), 'T') << "left alone";
    }
}

TEST(Guardian, AnUntrustworthyRecordFileReadsAsNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("record"), target = dir.filePath("elsewhere");
    const FrozenEntry entry{4242, 77, "Name with spaces"};
    ASSERT_TRUE(FrozenRecord::write(target, {entry}));
    EXPECT_EQ(FrozenRecord::read(target), std::vector<FrozenEntry>{entry});
    const std::pair<const char *, QByteArray> cases[] = {
        {"garbage", QByteArray("\xff\xfe\x00garbage\n", 11)},
        {"no header", "4242 77 Name\n"},
        {"huge", "quorvel-frozen 1\n" + QByteArray(1 << 20, '7') + " 1 x\n"},
        {"pid 1 and below, no start time", "quorvel-frozen 1\n1 5 x\n-1 5 x\n4242 0 x\n"},
        {"cut short", "quorvel-frozen 1\n4242 77 Na"},
    };
    for (const auto &[what, bytes] : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        EXPECT_TRUE(FrozenRecord::read(path).empty()) << what;
    }
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_TRUE(FrozenRecord::recover(path).empty()) << "a link is never followed";
    EXPECT_FALSE(QFileInfo(path).isSymLink()) << "but removed";
    EXPECT_TRUE(QFile::exists(target));
}

} // namespace
} // namespace quorvel
