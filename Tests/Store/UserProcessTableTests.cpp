#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "../Process/ProbeChild.h"
#include "System/UserProcessTable.h"

namespace {

namespace fs = std::filesystem;
using quorvel::UserProcessTable;
using quorvel::platform::ListedProcess;

TEST(UserProcessTable, ListsTheUsersLiveProcessesAndForgetsTheGone) {
    QTemporaryDir bin;
    const std::string program = ProbeChild::copyHelper(bin, "listed");
    const std::string path = fs::canonical(program);
    ProbeChild child(program);
    ASSERT_TRUE(child.started());
    // An update replaces a program's file under it: it is listed by the file it runs.
    fs::remove(program);
    UserProcessTable table;
    const std::vector<ListedProcess> before = table.list();
    const auto find = [pid = child.pid()](const std::vector<ListedProcess> &processes) {
        return std::ranges::find(processes, pid, &ListedProcess::pid);
    };
    ASSERT_NE(find(before), before.end());
    EXPECT_EQ(find(before)->ppid, ::getpid());
    EXPECT_EQ(find(before)->path, path);
    EXPECT_NE(find(before)->startTime, 0u);
    // Kernel threads and other users' processes are left out.
    for (const ListedProcess &process : before) {
        EXPECT_EQ(process.uid, ::getuid());
        EXPECT_FALSE(process.path.empty());
    }

    child.process().closeWriteChannel();
    ASSERT_TRUE(child.process().waitForFinished(10000));
    const std::vector<ListedProcess> after = table.list();
    EXPECT_EQ(find(after), after.end());
}

} // namespace
