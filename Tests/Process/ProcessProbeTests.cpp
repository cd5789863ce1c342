#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "ProbeChild.h"
#include "System/PerProcessMemory.h"
#include "procmem.h"

namespace quorvel {
namespace {

std::optional<RawProcess> listed(pid_t pid, bool currentUserOnly = true) {
    for (RawProcess &process : PerProcessMemory::listProcesses(currentUserOnly)) {
        if (process.pid == pid) return std::move(process);
    }
    return std::nullopt;
}

// Waits until the listing shows the process in, or out of, the stopped state.
bool awaitStopped(pid_t pid, bool stopped) {
    return QTest::qWaitFor(
        [&] {
            const auto process = listed(pid);
            return process && process->isStopped() == stopped;
        },
        10000);
}

std::string ownExecutable() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// Clock ticks since boot, as start times count them.
uint64_t ticksNow() {
    double seconds = 0;
    std::ifstream("/proc/uptime") >> seconds;
    return static_cast<uint64_t>(seconds * static_cast<double>(::sysconf(_SC_CLK_TCK))) + 1;
}

TEST(ProcShim, RefusesMissingBuffersAndRecords) {
    int32_t buffer[4] = {};
    EXPECT_EQ(qv_list_pids(nullptr, 4), -1);
    EXPECT_EQ(qv_list_pids(buffer, 0), -1);
    EXPECT_EQ(qv_list_pids(buffer, -3), -1);
    EXPECT_EQ(qv_proc_info(::getpid(), nullptr), -1);
    qv_proc_record record;
    EXPECT_EQ(qv_proc_info(0, &record), -1);
    EXPECT_EQ(qv_proc_info(-1, &record), -1);
    const qv_pid_entry nobody{0, 0};
    qv_proc_memo memo{0, 0, -1};
    EXPECT_EQ(qv_proc_info_listed(&nobody, 1, &memo, &record), -1);
    EXPECT_EQ(qv_proc_info_listed(nullptr, 1, &memo, &record), -1);
    EXPECT_EQ(qv_proc_info_listed(&nobody, 1, nullptr, &record), -1);
    EXPECT_EQ(qv_phys_footprint(0), 0u);
}

TEST(ProcShim, ListsPositivePidsUpToTheCapacity) {
    std::vector<int32_t> pids(PerProcessMemory::kMaxProcesses, 0);
    const int32_t count = qv_list_pids(pids.data(), PerProcessMemory::kMaxProcesses);
    ASSERT_GT(count, 1);
    pids.resize(static_cast<std::size_t>(count));
    EXPECT_TRUE(std::all_of(pids.begin(), pids.end(), [](int32_t pid) { return pid > 0; }));
    EXPECT_NE(std::find(pids.begin(), pids.end(), ::getpid()), pids.end());

    int32_t sentinel[3] = {-7, -7, -7};
    EXPECT_EQ(qv_list_pids(sentinel, 2), 2);
    EXPECT_EQ(sentinel[2], -7) << "wrote past the capacity";
}

TEST(ProcShim, DescribesThisProcess) {
    qv_proc_record record;
    ASSERT_EQ(qv_proc_info(::getpid(), &record), 0);
    EXPECT_EQ(record.pid, ::getpid());
    EXPECT_EQ(record.ppid, ::getppid());
    EXPECT_EQ(record.uid, ::geteuid());
    EXPECT_EQ(record.status, QV_PROC_STATUS_RUNNING);
    EXPECT_GT(record.footprint, 0u);
    EXPECT_EQ(std::string(record.path), ownExecutable());
    EXPECT_STREQ(record.name, "quorvel_tests");
    EXPECT_GT(record.start_time, 0u);
    EXPECT_LE(record.start_time, ticksNow());
    EXPECT_GT(qv_phys_footprint(::getpid()), 0u);
}

// The start time is taken on trust only while /proc names the same process.
TEST(ProcShim, KeepsAKnownStartTimeOnlyForTheSameProcess) {
    qv_proc_record fresh;
    ASSERT_EQ(qv_proc_info(::getpid(), &fresh), 0);
    ASSERT_NE(fresh.inode, 0u);
    std::vector<qv_pid_entry> entries(PerProcessMemory::kMaxProcesses);
    const int32_t count = qv_list_pid_entries(entries.data(), PerProcessMemory::kMaxProcesses);
    ASSERT_GT(count, 0);
    entries.resize(static_cast<std::size_t>(count));
    const auto own = std::ranges::find(entries, ::getpid(), &qv_pid_entry::pid);
    ASSERT_NE(own, entries.end());
    EXPECT_EQ(own->inode, fresh.inode) << "the listing's inode is the directory's";
    struct Case {
        uint64_t inode;
        uint64_t startTime;
        uint64_t expected;
    };
    for (const Case &c : {Case{fresh.inode, 12345, 12345}, Case{fresh.inode + 1, 12345, 0},
                          Case{fresh.inode, 0, 0}, Case{0, 12345, 0}}) {
        qv_proc_memo memo{c.inode, c.startTime, -1};
        qv_proc_record record;
        ASSERT_EQ(qv_proc_info_listed(&*own, 0, &memo, &record), 0);
        const uint64_t started = c.expected ? c.expected : fresh.start_time;
        EXPECT_EQ(record.start_time, started) << c.inode << " " << c.startTime;
        EXPECT_EQ(memo.start_time, started);
        EXPECT_EQ(memo.inode, fresh.inode);
        EXPECT_EQ(memo.status_fd, -1) << "kept open without being asked";
        EXPECT_EQ(record.inode, fresh.inode);
        EXPECT_EQ(record.ppid, fresh.ppid);
        EXPECT_EQ(record.uid, fresh.uid);
        EXPECT_STREQ(record.name, fresh.name);
        EXPECT_EQ(std::string(record.path), std::string(fresh.path));
    }
}

// The status file stays open for the process it was opened for, and is let
// go when the listing shows another process under the pid.
TEST(ProcShim, KeepsTheStatusFileOfTheSameProcessOpen) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    qv_proc_record record;
    ASSERT_EQ(qv_proc_info(child.pid(), &record), 0);
    const qv_pid_entry entry{child.pid(), record.inode};
    qv_proc_memo memo{0, 0, -1};
    ASSERT_EQ(qv_proc_info_listed(&entry, 1, &memo, &record), 0);
    const int kept = memo.status_fd;
    ASSERT_GE(kept, 0);
    EXPECT_NE(record.status, QV_PROC_STATUS_STOPPED);

    ASSERT_EQ(::kill(child.pid(), SIGSTOP), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return qv_proc_info_listed(&entry, 1, &memo, &record) == 0 &&
                   record.status == QV_PROC_STATUS_STOPPED;
        },
        10000))
        << "the file kept open reads afresh";
    EXPECT_EQ(memo.status_fd, kept);
    ::kill(child.pid(), SIGCONT);

    const qv_pid_entry successor{child.pid(), record.inode + 1};
    ASSERT_EQ(qv_proc_info_listed(&successor, 0, &memo, &record), 0);
    EXPECT_EQ(memo.status_fd, -1);
    EXPECT_EQ(::fcntl(kept, F_GETFD), -1) << "the earlier process's file is still open";
}

// A zombie has no memory of its own: the full probe describes it, the
// sampler's probe passes over it.
TEST(ProcShim, TheSamplersProbePassesOverAZombie) {
    const pid_t zombie = ::fork();
    ASSERT_GE(zombie, 0);
    if (zombie == 0) ::_exit(0);
    qv_proc_record record;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return qv_proc_info(zombie, &record) == 0 && record.status == QV_PROC_STATUS_ZOMBIE;
        },
        10000));
    const qv_pid_entry entry{zombie, record.inode};
    qv_proc_memo memo{record.inode, record.start_time, -1};
    EXPECT_EQ(qv_proc_info_listed(&entry, 1, &memo, &record), -1);
    EXPECT_EQ(memo.status_fd, -1);
    int status = 0;
    EXPECT_EQ(::waitpid(zombie, &status, 0), zombie);
    EXPECT_EQ(qv_proc_info_listed(&entry, 1, &memo, &record), -1) << "gone";
}

TEST(ProcShim, FailsForAProcessThatHasExited) {
    pid_t gone = 0;
    {
        ProbeChild child(ProbeChild::helperPath().toStdString());
        ASSERT_TRUE(child.started());
        gone = child.pid();
    }
    qv_proc_record record;
    std::memset(&record, 0x5A, sizeof record);
    const qv_proc_record before = record;
    EXPECT_EQ(qv_proc_info(gone, &record), -1);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_EQ(qv_phys_footprint(gone), 0u);
}

TEST(PerProcessMemory, ListsAChildWithThePrivateMemoryItTouched) {
    constexpr uint64_t kMiB = 1024 * 1024;
    ProbeChild child(ProbeChild::helperPath().toStdString(), {"touch", "64"});
    ASSERT_TRUE(child.started());
    const auto process = listed(child.pid());
    ASSERT_TRUE(process);
    EXPECT_GE(process->footprint, 64 * kMiB);
    EXPECT_EQ(process->ppid, ::getpid());
    EXPECT_EQ(process->uid, PerProcessMemory::ownUID());
    EXPECT_EQ(process->name, "ProbeChild");
    EXPECT_EQ(process->path, QFile::encodeName(ProbeChild::helperPath()).toStdString());
    EXPECT_GE(qv_phys_footprint(child.pid()), 64 * kMiB);
}

TEST(PerProcessMemory, ARememberingListingAgreesWithAFreshOne) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    const auto fresh = listed(child.pid());
    ASSERT_TRUE(fresh);
    PerProcessMemory::ProcessListing listing;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::vector<RawProcess> processes = listing.list(true);
        const auto found = std::ranges::find(processes, child.pid(), &RawProcess::pid);
        ASSERT_NE(found, processes.end());
        EXPECT_EQ(found->startTime, fresh->startTime);
        EXPECT_EQ(found->path, fresh->path);
        EXPECT_EQ(found->ppid, fresh->ppid);
    }
}

std::size_t openFiles() {
    return static_cast<std::size_t>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2;
}

// Files kept open stay within the budget, follow the processes that come and
// go, and all close with the listing.
TEST(PerProcessMemory, ARememberingListingKeepsFewFilesOpenAndClosesThem) {
    const std::size_t before = openFiles();
    {
        PerProcessMemory::ProcessListing listing(3);
        listing.list(true);
        EXPECT_EQ(openFiles(), before + 3);
        std::optional<ProbeChild> child(std::in_place, ProbeChild::helperPath().toStdString());
        ASSERT_TRUE(child->started());
        const std::size_t withChild = openFiles();
        listing.list(true);
        EXPECT_EQ(openFiles(), withChild) << "the budget is spent already";
        child.reset();
        listing.list(true);
        EXPECT_LE(openFiles(), before + 3);
    }
    EXPECT_EQ(openFiles(), before);

    {
        PerProcessMemory::ProcessListing listing(PerProcessMemory::kMaxProcesses);
        ProbeChild child(ProbeChild::helperPath().toStdString());
        ASSERT_TRUE(child.started());
        const std::size_t withChild = openFiles();
        const std::size_t listedCount = listing.list(false).size();
        EXPECT_GE(openFiles(), withChild + listedCount) << "one status file per process";
    }
    EXPECT_EQ(openFiles(), before);
}

TEST(PerProcessMemory, ReadsAStoppedChildAsStopped) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    ASSERT_EQ(::kill(child.pid(), SIGSTOP), 0);
    ASSERT_TRUE(awaitStopped(child.pid(), true));
    EXPECT_EQ(listed(child.pid())->status, 4);
    ASSERT_EQ(::kill(child.pid(), SIGCONT), 0);
    ASSERT_TRUE(awaitStopped(child.pid(), false));
}

TEST(PerProcessMemory, LeavesOtherUsersOutOnlyWhenAsked) {
    std::optional<ProbeChild> otherUsers;
    pid_t other = 1;
    if (::geteuid() == 0) {
        otherUsers.emplace(ProbeChild::helperPath().toStdString(), QStringList{"as-nobody"});
        ASSERT_TRUE(otherUsers->started());
        other = otherUsers->pid();
    }
    const auto everyone = listed(other, false);
    ASSERT_TRUE(everyone) << "pid " << other << " is not listed for all users";
    ASSERT_NE(everyone->uid, PerProcessMemory::ownUID());
    EXPECT_FALSE(listed(other, true));
}

TEST(PerProcessMemory, KeepsProcessesWithOddLongOrDeletedExecutables) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string odd = ProbeChild::copyHelper(dir, "odd\xff\xfe name");
    std::string deep;
    while (deep.size() < 1100) deep += std::string(200, 'd') + "/";
    const std::string longPath = ProbeChild::copyHelper(dir, deep + "ProbeChild");
    const std::string deleted = ProbeChild::copyHelper(dir, "short-lived");

    ProbeChild oddChild(odd);
    ProbeChild longChild(longPath);
    ProbeChild deletedChild(deleted);
    ASSERT_TRUE(oddChild.started() && longChild.started() && deletedChild.started());
    ASSERT_TRUE(QFile::remove(QFile::decodeName(QByteArray::fromStdString(deleted))));

    const auto oddProcess = listed(oddChild.pid());
    ASSERT_TRUE(oddProcess);
    EXPECT_EQ(oddProcess->name, "odd\uFFFD\uFFFD name");
    EXPECT_EQ(oddProcess->path.substr(oddProcess->path.rfind('/') + 1), "odd\uFFFD\uFFFD name");

    const auto longProcess = listed(longChild.pid());
    ASSERT_TRUE(longProcess);
    EXPECT_EQ(longProcess->path, longPath.substr(0, 1023));
    EXPECT_EQ(longProcess->name, "ProbeChild");

    const auto deletedProcess = listed(deletedChild.pid());
    ASSERT_TRUE(deletedProcess);
    EXPECT_EQ(deletedProcess->path, deleted);
    EXPECT_EQ(deletedProcess->name, "short-lived");
}

TEST(PerProcessMemory, StartTimeStaysWithTheProcessAndGrowsWithLaterOnes) {
    ProbeChild first(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(first.started());
    const auto early = listed(first.pid());
    ASSERT_TRUE(early);
    const auto self = listed(::getpid());
    ASSERT_TRUE(self);
    EXPECT_GE(early->startTime, self->startTime);
    EXPECT_LE(early->startTime, ticksNow());

    // Sleep a few ticks so the later child cannot share the first's tick.
    QTest::qWait(100);
    ProbeChild second(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(second.started());
    const auto later = listed(second.pid());
    ASSERT_TRUE(later);
    EXPECT_GT(later->startTime, early->startTime);
    EXPECT_EQ(listed(first.pid())->startTime, early->startTime);
    EXPECT_NE(later->identity(), early->identity());
}

TEST(PerProcessMemory, AdmitsByOwnerAndByWhatIsKnown) {
    auto recordOf = [](int32_t pid, uint32_t uid, uint64_t footprint, const char *path) {
        qv_proc_record record;
        std::memset(&record, 0, sizeof record);
        record.pid = pid;
        record.uid = uid;
        record.footprint = footprint;
        std::strcpy(record.name, "tool");
        std::strcpy(record.path, path);
        return record;
    };
    struct Case {
        qv_proc_record record;
        bool currentUserOnly;
        bool admitted;
    };
    const Case cases[] = {
        {recordOf(10, 1000, 4096, "/bin/tool"), true, true},
        {recordOf(10, 1001, 4096, "/bin/tool"), true, false},
        {recordOf(10, 1001, 4096, "/bin/tool"), false, true},
        {recordOf(10, 1000, 0, "/bin/tool"), true, true},
        {recordOf(10, 1000, 4096, ""), true, true},
        {recordOf(10, 1000, 0, ""), true, false},
        {recordOf(0, 1000, 4096, "/bin/tool"), true, false},
        {recordOf(-4, 1000, 4096, "/bin/tool"), false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.record.pid << " uid " << c.record.uid << " "
                                        << c.record.footprint << " '" << c.record.path << "'");
        EXPECT_EQ(PerProcessMemory::admit(c.record, c.currentUserOnly, 1000).has_value(),
                  c.admitted);
    }

    // Names that fill their field without a terminator, or hold bytes that are
    // not UTF-8, are decoded, never dropped.
    qv_proc_record odd = recordOf(10, 1000, 4096, "/opt/\xc3\x28/x");
    std::memset(odd.name, 'n', sizeof odd.name);
    odd.start_time = 77;
    const auto process = PerProcessMemory::admit(odd, true, 1000);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->name, std::string(256, 'n'));
    EXPECT_EQ(process->path, "/opt/\uFFFD(/x");
    EXPECT_EQ(process->startTime, 77u);
}

} // namespace
} // namespace quorvel
