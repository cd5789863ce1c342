#include <gtest/gtest.h>

#include <QTest>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <vector>

#include "ProbeChild.h"
#include "System/PerProcessMemory.h"
#include "procmem.h"

namespace quorvel {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;
const std::string kHelper = QFile::encodeName(ProbeChild::helperPath()).toStdString();

std::optional<RawProcess> listed(pid_t pid) {
    for (RawProcess &process : PerProcessMemory::listProcesses(true))
        if (process.pid == pid) return std::move(process);
    return std::nullopt;
}

std::size_t openFiles() {
    return static_cast<std::size_t>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2;
}

TEST(ProcShim, WritesNoFurtherThanItsCapacity) {
    int32_t buffer[3] = {-7, -7, -7};
    EXPECT_EQ(qv_list_pids(buffer, 2), 2);
    EXPECT_EQ(buffer[2], -7) << "wrote past the capacity";
}

// The probe's view of a real child.
TEST(ProcShim, DescribesAChild) {
    ProbeChild child(kHelper, {"touch", "64"});
    ASSERT_TRUE(child.started());
    qv_proc_record record;
    ASSERT_EQ(qv_proc_info(child.pid(), &record), 0);
    EXPECT_EQ(record.ppid, ::getpid());
    EXPECT_GE(record.footprint, 64 * kMiB);
    EXPECT_EQ(std::string(record.path), kHelper);
    EXPECT_STREQ(record.name, "ProbeChild");
    EXPECT_GE(record.start_time, listed(::getpid()).value().startTime);
    const auto process = listed(child.pid());
    ASSERT_TRUE(process);
    EXPECT_GE(process->footprint, 64 * kMiB);
    EXPECT_EQ(process->startTime, record.start_time);
}

// What the sampler keeps of a process, its start time and its status file,
// holds only while the listing shows the same process under the pid.
TEST(ProcShim, TrustsWhatItKeptOnlyWhileTheListingShowsTheSameProcess) {
    ProbeChild child(kHelper);
    ASSERT_TRUE(child.started());
    qv_proc_record fresh, record;
    ASSERT_EQ(qv_proc_info(child.pid(), &fresh), 0);
    ASSERT_NE(fresh.inode, 0u);
    std::vector<qv_pid_entry> entries(PerProcessMemory::kMaxProcesses);
    entries.resize(
        std::max(0, qv_list_pid_entries(entries.data(), PerProcessMemory::kMaxProcesses)));
    const auto entry = std::ranges::find(entries, child.pid(), &qv_pid_entry::pid);
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->inode, fresh.inode) << "the listing's inode is the directory's";

    qv_proc_memo memo{fresh.inode, 12345, -1};
    ASSERT_EQ(qv_proc_info_listed(&*entry, 1, &memo, &record), 0);
    EXPECT_EQ(record.start_time, 12345u) << "a known start time is not read again";
    const int kept = memo.status_fd;
    ASSERT_GE(kept, 0);
    ASSERT_EQ(::kill(child.pid(), SIGSTOP), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return qv_proc_info_listed(&*entry, 1, &memo, &record) == 0 &&
                   record.status == QV_PROC_STATUS_STOPPED;
        },
        10000))
        << "the file kept open reads afresh";
    EXPECT_EQ(memo.status_fd, kept);

    const qv_pid_entry successor{child.pid(), fresh.inode + 1};
    ASSERT_EQ(qv_proc_info_listed(&successor, 0, &memo, &record), 0);
    EXPECT_EQ(record.start_time, fresh.start_time);
    EXPECT_EQ(memo.status_fd, -1);
    EXPECT_EQ(::fcntl(kept, F_GETFD), -1) << "the earlier process's file is still open";
    memo = {0, 12345, -1};
    ASSERT_EQ(qv_proc_info_listed(&*entry, 0, &memo, &record), 0);
    EXPECT_EQ(record.start_time, fresh.start_time) << "trusted for an unknown process";
}

// A zombie has no memory of its own: the full probe describes it, the
// sampler's passes over it. Once reaped, neither finds it.
TEST(ProcShim, PassesOverAZombieAndFailsOnceItIsGone) {
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
    EXPECT_FALSE(listed(zombie));

    ASSERT_EQ(::waitpid(zombie, nullptr, 0), zombie);
    EXPECT_EQ(qv_proc_info(zombie, &record), -1);
    EXPECT_EQ(qv_proc_info_listed(&entry, 1, &memo, &record), -1);
}

// It agrees with a fresh listing, keeps files open within its budget as
// processes come and go, and closes them all when it goes.
TEST(PerProcessMemory, ARememberingListingAgreesWithAFreshOneAndKeepsFewFilesOpen) {
    const std::size_t before = openFiles();
    {
        PerProcessMemory::ProcessListing listing(3);
        listing.list(true);
        EXPECT_EQ(openFiles(), before + 3);
        std::optional<ProbeChild> child(std::in_place, kHelper);
        ASSERT_TRUE(child->started());
        const std::size_t withChild = openFiles();
        const RawProcess fresh = listed(child->pid()).value();
        for (int round = 0; round < 2; ++round) {
            const std::vector<RawProcess> processes = listing.list(true);
            const auto found = std::ranges::find(processes, child->pid(), &RawProcess::pid);
            ASSERT_NE(found, processes.end());
            EXPECT_EQ(found->startTime, fresh.startTime);
            EXPECT_EQ(found->path, fresh.path);
        }
        EXPECT_EQ(openFiles(), withChild) << "the budget is spent already";
        child.reset();
        listing.list(true);
        EXPECT_LE(openFiles(), before + 3);
    }
    EXPECT_EQ(openFiles(), before);
}

TEST(PerProcessMemory, AdmitsByOwnerAndByWhatIsKnown) {
    struct Case {
        int32_t pid;
        uint32_t uid;
        uint64_t footprint;
        std::string path;
        bool currentUserOnly, admitted;
    };
    const Case cases[] = {{10, 1001, 4096, "/bin/tool", true, false},
                          {10, 1001, 4096, "/bin/tool", false, true},
                          {10, 1000, 0, "/bin/tool", true, true},
                          {10, 1000, 4096, "", true, true},
                          {10, 1000, 0, "", true, false},
                          {0, 1000, 4096, "/bin/tool", true, false}};
    for (const Case &c : cases) {
        qv_proc_record record{c.pid, 0, c.uid, 0, c.footprint, {}, {}, 0, 0};
        std::strcpy(record.path, c.path.c_str());
        EXPECT_EQ(PerProcessMemory::admit(record, c.currentUserOnly, 1000).has_value(), c.admitted)
            << c.pid << " uid " << c.uid << " " << c.footprint << " '" << c.path << "'";
    }
}

} // namespace
} // namespace quorvel
