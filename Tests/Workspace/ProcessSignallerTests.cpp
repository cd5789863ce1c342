#include <gtest/gtest.h>

#include <QTest>

#include <csignal>
#include <unistd.h>

#include "../Process/ProbeChild.h"
#include "ProcState.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/ProcessSignaller.h"

namespace {

using quorvel::platform::ListedProcess;
using quorvel::platform::ProcessSignal;
using quorvel::platform::ProcessSignaller;
using quorvel::platform::SampledProcess;
namespace WorkspaceProcesses = quorvel::WorkspaceProcesses;

bool waitUntilStopped(pid_t pid) {
    return QTest::qWaitFor([&] { return processState(pid) == 'T'; }, 10000);
}

bool waitUntilContinued(pid_t pid) {
    return QTest::qWaitFor([&] { return processState(pid) != 'T'; }, 10000);
}

SampledProcess sampleOf(pid_t pid) {
    const std::optional<ListedProcess> process = WorkspaceProcesses::inspect(pid);
    EXPECT_TRUE(process) << pid;
    return process ? process->sampled() : SampledProcess{};
}

const ProcessSignaller live(WorkspaceProcesses::inspect);

TEST(ProcessSignaller, StopsAndContinuesTheSampledProcessByName) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    const SampledProcess sample = sampleOf(child.pid());
    EXPECT_EQ(sample.name, "ProbeChild");
    EXPECT_NE(sample.startTime, 0u);

    ASSERT_TRUE(live.send(sample, ProcessSignaller::signalNumber(ProcessSignal::stop)));
    EXPECT_TRUE(waitUntilStopped(child.pid()));
    ASSERT_TRUE(live.send(sample, ProcessSignaller::signalNumber(ProcessSignal::resume)));
    EXPECT_TRUE(waitUntilContinued(child.pid()));
}

TEST(ProcessSignaller, SendsNothingToAProcessThatNoLongerMatchesItsSample) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    const SampledProcess sample = sampleOf(child.pid());
    const struct {
        const char *change;
        SampledProcess sampled;
    } reused[] = {
        {"start time", {sample.pid, sample.startTime + 1, sample.name, sample.path}},
        {"name", {sample.pid, sample.startTime, "other", sample.path}},
        {"path", {sample.pid, sample.startTime, sample.name, "/usr/bin/other"}},
    };
    for (const auto &c : reused) {
        SCOPED_TRACE(c.change);
        EXPECT_FALSE(live.send(c.sampled, SIGSTOP));
    }
    EXPECT_NE(processState(child.pid()), 'T');
}

TEST(ProcessSignaller, WhatTheSampleDoesNotKnowIsNotHeldAgainstTheProcess) {
    ProbeChild child(ProbeChild::helperPath().toStdString());
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(live.send({child.pid(), 0, "", ""}, SIGSTOP));
    EXPECT_TRUE(waitUntilStopped(child.pid()));
    ASSERT_TRUE(live.send({child.pid(), 0, "", ""}, SIGCONT));
    EXPECT_TRUE(waitUntilContinued(child.pid()));
}

TEST(ProcessSignaller, NeverSignalsAnotherUsersProcess) {
    ProbeChild child(ProbeChild::helperPath().toStdString(), {QStringLiteral("as-nobody")});
    ASSERT_TRUE(child.started());
    const SampledProcess sample = sampleOf(child.pid());
    EXPECT_FALSE(live.send(sample, SIGSTOP));
    EXPECT_FALSE(live.send({child.pid(), 0, "", ""}, SIGSTOP));
    EXPECT_NE(processState(child.pid()), 'T');
}

TEST(ProcessSignaller, RefusesTheInitProcessItselfAndNonsensePids) {
    // SIGCONT, so a guard that failed would do no harm.
    for (const SampledProcess &target :
         {sampleOf(1), sampleOf(::getpid()), SampledProcess{0, 0, "", ""},
          SampledProcess{-1, 0, "", ""}, SampledProcess{-4242, 0, "", ""}}) {
        SCOPED_TRACE(target.pid);
        EXPECT_FALSE(live.send(target, SIGCONT));
    }
}

TEST(ProcessSignaller, AProcessThatHasGoneIsNotDelivered) {
    pid_t pid = 0;
    SampledProcess sample;
    {
        ProbeChild child(ProbeChild::helperPath().toStdString());
        ASSERT_TRUE(child.started());
        pid = child.pid();
        sample = sampleOf(pid);
    }
    EXPECT_FALSE(live.send(sample, SIGCONT));
    EXPECT_FALSE(live.send({pid, 0, "", ""}, SIGCONT));
}

TEST(ProcessSignaller, SameProcessComparesOnlyWhatTheSampleKnows) {
    const ListedProcess now{300, 1, 1000, 4711, "editor", "/usr/bin/editor"};
    const struct {
        SampledProcess sampled;
        bool same;
    } cases[] = {
        {{300, 4711, "editor", "/usr/bin/editor"}, true},
        {{300, 0, "", ""}, true},
        {{300, 0, "editor", ""}, true},
        {{300, 4712, "editor", "/usr/bin/editor"}, false},
        {{300, 4711, "Editor", "/usr/bin/editor"}, false},
        {{300, 4711, "editor", "/opt/editor"}, false},
        {{301, 4711, "editor", "/usr/bin/editor"}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sampled.name + " " + std::to_string(c.sampled.startTime));
        EXPECT_EQ(ProcessSignaller::isSameProcess(c.sampled, now), c.same);
    }
}

TEST(ProcessSignaller, ANameWithOddBytesMatchesItsOwnSample) {
    QTemporaryDir dir;
    ProbeChild child(ProbeChild::copyHelper(dir, "odd\xff\xfe name"));
    ASSERT_TRUE(child.started());
    // Taken from a listing, as the sampler takes it.
    std::optional<SampledProcess> sample;
    for (const ListedProcess &process : WorkspaceProcesses::currentUsersProcesses()) {
        if (process.pid == child.pid()) sample = process.sampled();
    }
    ASSERT_TRUE(sample);
    ASSERT_TRUE(live.send(*sample, SIGSTOP));
    EXPECT_TRUE(waitUntilStopped(child.pid()));
    EXPECT_TRUE(live.send(*sample, SIGCONT));
}

} // namespace
