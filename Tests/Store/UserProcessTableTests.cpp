#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "System/UserProcessTable.h"

namespace {

namespace fs = std::filesystem;
using quorvel::UserProcessTable;
using quorvel::platform::ListedProcess;

std::vector<int32_t> pidsOf(const std::vector<ListedProcess> &processes) {
    std::vector<int32_t> pids;
    for (const ListedProcess &process : processes) pids.push_back(process.pid);
    std::sort(pids.begin(), pids.end());
    return pids;
}

// A process directory of our own making: one directory per pid, and an
// inspector that counts what it is asked.
struct FakeProcessRoot {
    QTemporaryDir root;
    std::map<int32_t, int> inspections;

    void add(int32_t pid) const { fs::create_directory(path(pid)); }
    void remove(int32_t pid) const { fs::remove(path(pid)); }
    std::string path(int32_t pid) const {
        return root.filePath(QString::number(pid)).toStdString();
    }
    UserProcessTable table() {
        return UserProcessTable(
            [this](int32_t pid) -> std::optional<ListedProcess> {
                ++inspections[pid];
                if (pid % 2 == 1) return std::nullopt; // odd pids are another user's
                return ListedProcess{pid, 1, 1000, 5, "p", "/bin/p"};
            },
            root.path().toStdString());
    }
};

TEST(UserProcessTableTest, InspectsEachProcessOnceAndAReusedPidAgain) {
    FakeProcessRoot fake;
    for (int32_t pid : {2, 3, 4}) fake.add(pid);
    fs::create_directory(fake.root.filePath(QStringLiteral("self")).toStdString());
    UserProcessTable table = fake.table();

    EXPECT_EQ(pidsOf(table.list()), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(pidsOf(table.list()), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(fake.inspections, (std::map<int32_t, int>{{2, 1}, {3, 1}, {4, 1}}));

    // Pid 4 exits and a new process gets it: a new directory, a new inode.
    // The inode is held by a kept directory so the new one cannot reuse it.
    fs::rename(fake.path(4), fake.root.filePath(QStringLiteral("kept")).toStdString());
    fake.add(4);
    fake.remove(2);
    EXPECT_EQ(pidsOf(table.list()), (std::vector<int32_t>{4}));
    EXPECT_EQ(fake.inspections, (std::map<int32_t, int>{{2, 1}, {3, 1}, {4, 2}}));
}

TEST(UserProcessTableTest, ListsTheUsersLiveProcessesAndForgetsTheGone) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (;;) ::pause();
    }
    UserProcessTable table;
    const std::vector<ListedProcess> before = table.list();
    const auto find = [child](const std::vector<ListedProcess> &processes) {
        return std::find_if(processes.begin(), processes.end(),
                            [child](const ListedProcess &p) { return p.pid == child; });
    };
    ASSERT_NE(find(before), before.end());
    EXPECT_EQ(find(before)->ppid, ::getpid());
    EXPECT_EQ(find(before)->uid, ::getuid());
    EXPECT_EQ(find(before)->path, fs::read_symlink("/proc/self/exe").string());
    EXPECT_NE(find(before)->startTime, 0u);
    // Kernel threads and other users' processes are left out.
    for (const ListedProcess &process : before) {
        EXPECT_EQ(process.uid, ::getuid());
        EXPECT_FALSE(process.path.empty());
    }

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<ListedProcess> after = table.list();
    EXPECT_EQ(find(after), after.end());
}

} // namespace
