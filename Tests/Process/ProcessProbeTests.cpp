#include <gtest/gtest.h>

#include <QTest>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
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

std::optional<qv_pid_entry> listingEntry(pid_t pid) {
    std::vector<qv_pid_entry> entries(PerProcessMemory::kMaxProcesses);
    entries.resize(
        std::max(0, qv_list_pid_entries(entries.data(), PerProcessMemory::kMaxProcesses)));
    const auto entry = std::ranges::find(entries, pid, &qv_pid_entry::pid);
    if (entry == entries.end()) return std::nullopt;
    return *entry;
}

// What the sampler keeps of a process holds only while the listing shows the
// same process under the pid, and the process is taken as it was only while
// neither its first thread ran nor its private memory moved (what moves is
// the listing's test below), and only while its directory is the same.
TEST(ProcShim, TakesAProcessAsItWasOnlyWhileNothingOfItMoved) {
    ProbeChild child(kHelper, {"threaded"});
    ASSERT_TRUE(child.started());
    qv_proc_record fresh, record;
    ASSERT_EQ(qv_proc_info(child.pid(), &fresh), 0);
    const std::optional<qv_pid_entry> entry = listingEntry(child.pid());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->inode, fresh.inode) << "the listing's inode is the directory's";

    qv_proc_memo memo = PerProcessMemory::kEmptyMemo;
    ASSERT_EQ(qv_proc_info_listed(&*entry, 1, 1, &memo, &record), 0);
    EXPECT_EQ(record.start_time, fresh.start_time);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return qv_proc_info_listed(&*entry, 1, 1, &memo, &record) == 1; }, 10000))
        << "an idle process is read in full every time";
    const int kept[] = {memo.schedstat_fd, memo.statm_fd};
    ASSERT_GE(kept[0], 0);
    ASSERT_GE(kept[1], 0);

    const qv_pid_entry successor{child.pid(), fresh.inode + 1};
    memo.start_time = 12345;
    ASSERT_EQ(qv_proc_info_listed(&successor, 0, 1, &memo, &record), 0);
    EXPECT_EQ(record.start_time, fresh.start_time) << "the earlier process's start time";
    EXPECT_EQ(memo.schedstat_fd, -1);
    for (const int fd : kept) EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the earlier process's file";
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
    qv_proc_memo memo = PerProcessMemory::kEmptyMemo;
    memo.inode = record.inode;
    memo.start_time = record.start_time;
    EXPECT_EQ(qv_proc_info_listed(&entry, 1, 1, &memo, &record), -1);
    EXPECT_EQ(memo.schedstat_fd, -1);
    EXPECT_FALSE(listed(zombie));

    ASSERT_EQ(::waitpid(zombie, nullptr, 0), zombie);
    EXPECT_EQ(qv_proc_info(zombie, &record), -1);
    EXPECT_EQ(qv_proc_info_listed(&entry, 1, 1, &memo, &record), -1);
}

// A grandchild whose parent, this process's child, ends on request: it is
// handed to another parent without running. Killed when this goes away.
class Orphan {
public:
    Orphan() {
        int pipe[2];
        if (::pipe(pipe) != 0) return;
        parent_ = ::fork();
        if (parent_ == 0) {
            const pid_t grandchild = ::fork();
            if (grandchild == 0)
                for (;;) ::pause();
            if (::write(pipe[1], &grandchild, sizeof grandchild) != sizeof grandchild) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(pipe[1]);
        if (parent_ < 0 || ::read(pipe[0], &pid_, sizeof pid_) != sizeof pid_) pid_ = 0;
        ::close(pipe[0]);
    }
    ~Orphan() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        endParent();
    }
    void endParent() {
        if (parent_ <= 0) return;
        ::kill(parent_, SIGKILL);
        ::waitpid(parent_, nullptr, 0);
        parent_ = 0;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t parent_ = 0;
    pid_t pid_ = 0;
};

// Reading only what moved gives what a full read gives, as real processes
// stop, continue, grow in a second thread, lose their parent and end; what
// stayed still is not read again, and at the slow pace everything is.
TEST(PerProcessMemory, ASelectiveListingAgreesWithAFullOne) {
    const std::size_t before = openFiles();
    {
        auto now = std::chrono::steady_clock::time_point{};
        PerProcessMemory::ProcessListing selective(64, [&now] { return now; });
        std::vector<std::unique_ptr<ProbeChild>> children;
        for (int i = 0; i < 3; ++i) {
            children.push_back(std::make_unique<ProbeChild>(kHelper, QStringList{"threaded"}));
            ASSERT_TRUE(children.back()->started());
        }
        Orphan orphan;
        ASSERT_GT(orphan.pid(), 0);
        std::vector<pid_t> ours{orphan.pid()};
        for (const auto &child : children) ours.push_back(child->pid());
        const auto oursOf = [&](const std::vector<RawProcess> &processes) {
            std::vector<RawProcess> kept;
            for (const RawProcess &process : processes)
                if (std::ranges::find(ours, process.pid) != ours.end()) kept.push_back(process);
            return kept;
        };
        const std::size_t withChildren = openFiles();
        const ProbeChild &stopped = *children[0];
        ProbeChild &grower = *children[1];
        const pid_t oldParent = listed(orphan.pid()).value().ppid;

        struct Step {
            const char *what;
            std::function<bool()> act; // true once the processes are at rest
        };
        const Step steps[] = {
            {"at rest", [] { return true; }},
            {"a stop",
             [&] {
                 ::kill(stopped.pid(), SIGSTOP);
                 return QTest::qWaitFor([&] { return listed(stopped.pid())->isStopped(); }, 10000);
             }},
            {"a continue",
             [&] {
                 ::kill(stopped.pid(), SIGCONT);
                 return QTest::qWaitFor([&] { return !listed(stopped.pid())->isStopped(); }, 10000);
             }},
            {"growth in a second thread",
             [&] {
                 grower.process().write("g");
                 return grower.process().waitForReadyRead(10000) &&
                        grower.process().readLine().trimmed() == "grown";
             }},
            {"the parent's end",
             [&] {
                 orphan.endParent();
                 return QTest::qWaitFor([&] { return listed(orphan.pid())->ppid != oldParent; },
                                        10000);
             }},
            {"an end",
             [&] {
                 const pid_t ended = children[2]->pid();
                 children[2].reset();
                 return !listed(ended);
             }},
        };
        std::size_t listedAtRest = 0;
        for (const Step &step : steps) {
            ASSERT_TRUE(step.act()) << step.what;
            now += std::chrono::seconds(2);
            const std::vector<RawProcess> listed = selective.list(false);
            if (listedAtRest == 0) listedAtRest = listed.size();
            EXPECT_EQ(oursOf(listed), oursOf(PerProcessMemory::listProcesses(false)))
                << "after " << step.what;
        }
        EXPECT_LT(selective.readInFull(), listedAtRest) << "what stayed still was read again";
        now += PerProcessMemory::ProcessListing::kFullPace;
        const std::size_t all = selective.list(false).size();
        EXPECT_GE(selective.readInFull(), all) << "the slow pace reads everything";
        EXPECT_LE(openFiles(), withChildren + 64) << "more files open than the budget";
    }
    EXPECT_EQ(openFiles(), before) << "files left open";
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
