#include <gtest/gtest.h>

#include <QProcess>

#include <unistd.h>

#include "Apps/ProcessCgroup.h"

namespace {

using quorvel::platform::readProcessCgroup;
using quorvel::platform::readProcessStartTime;

TEST(ProcessCgroup, IsReadForTheVeryProcessOnly) {
    const int32_t self = ::getpid();
    const std::optional<uint64_t> started = readProcessStartTime(self);
    ASSERT_TRUE(started.has_value());
    EXPECT_GT(*started, 0u);

    const std::optional<std::string> cgroup = readProcessCgroup({self, *started});
    ASSERT_TRUE(cgroup.has_value());
    EXPECT_NE(cgroup->find("0::"), std::string::npos);
    EXPECT_EQ(readProcessCgroup({self, 0}), cgroup);
    // A pid now held by a process that started at another time.
    EXPECT_EQ(readProcessCgroup({self, *started + 1}), std::nullopt);
    EXPECT_EQ(readProcessCgroup({0, 0}), std::nullopt);
    EXPECT_EQ(readProcessCgroup({-1, 0}), std::nullopt);
}

TEST(ProcessCgroup, GivesNothingForAProcessThatExited) {
    QProcess child;
    child.start(QStringLiteral(QUORVEL_HELPER_DIR "/DesktopAppHelper"), {});
    ASSERT_TRUE(child.waitForStarted());
    const auto pid = static_cast<int32_t>(child.processId());
    const std::optional<uint64_t> started = readProcessStartTime(pid);
    ASSERT_TRUE(started.has_value());
    child.closeWriteChannel();
    ASSERT_TRUE(child.waitForFinished());

    EXPECT_EQ(readProcessCgroup({pid, *started}), std::nullopt);
    EXPECT_EQ(readProcessStartTime(pid), std::nullopt);
}

} // namespace
