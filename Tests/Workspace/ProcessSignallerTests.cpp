#include <gtest/gtest.h>

#include <QTest>

#include <csignal>
#include <unistd.h>

#include "../Process/ProbeChild.h"
#include "ProcState.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/ProcessSignaller.h"

namespace {

using quorvel::platform::ProcessSignaller;
using quorvel::platform::SampledProcess;
namespace WorkspaceProcesses = quorvel::WorkspaceProcesses;

const ProcessSignaller live(WorkspaceProcesses::inspect);

SampledProcess sampleOf(pid_t pid) {
    const auto process = WorkspaceProcesses::inspect(pid);
    EXPECT_TRUE(process) << pid;
    return process ? process->sampled() : SampledProcess{};
}

TEST(ProcessSignaller, SignalsTheSampledProcessAndNothingElse) {
    const std::string helper = ProbeChild::helperPath().toStdString();
    // Odd bytes in its name, which the listing and the signaller must read alike.
    QTemporaryDir dir;
    ProbeChild child(ProbeChild::copyHelper(dir, "odd\xff\xfe name")),
        foreign(helper, {QStringLiteral("as-nobody")});
    ASSERT_TRUE(child.started() && foreign.started());
    const SampledProcess s = sampleOf(child.pid()), other = sampleOf(foreign.pid());
    // SIGSTOP where a slip would show; SIGCONT where it must do no harm.
    const std::tuple<const char *, SampledProcess, int> cases[] = {
        {"another start time", {s.pid, s.startTime + 1, s.name, s.path}, SIGSTOP},
        {"another name", {s.pid, s.startTime, "other", s.path}, SIGSTOP},
        {"another path", {s.pid, s.startTime, s.name, "/usr/bin/other"}, SIGSTOP},
        {"another user's", other, SIGSTOP},
        {"init", sampleOf(1), SIGCONT},
        {"this program", sampleOf(::getpid()), SIGCONT},
        {"every process", {-1, 0, "", ""}, SIGCONT},
    };
    for (const auto &[what, target, signal] : cases)
        EXPECT_FALSE(live.send(target, signal)) << what;
    EXPECT_NE(processState(child.pid()), 'T');
    EXPECT_NE(processState(foreign.pid()), 'T');

    // The very process, as the sampler's listing gives it, and by its pid alone.
    for (const auto &process : WorkspaceProcesses::currentUsersProcesses()) {
        if (process.pid != child.pid()) continue;
        EXPECT_NE(process.startTime, 0u) << "a reused pid could not be told apart";
        EXPECT_TRUE(live.send(process.sampled(), SIGSTOP));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) == 'T'; }, 10000));
    EXPECT_TRUE(live.send({child.pid(), 0, "", ""}, SIGCONT));
    EXPECT_TRUE(QTest::qWaitFor([&] { return processState(child.pid()) != 'T'; }, 10000));
}

} // namespace
