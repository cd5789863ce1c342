// The two workspace calls a gentle restart repeats: the running instances of
// an application (every 200 ms while it waits for the application to go) and
// one guarded signal (once per process of a group).
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Apps/InMemoryApplicationResolver.h"
#include "System/WorkspaceProcesses.h"
#include "Workspace/ProcessSignaller.h"

namespace {

void runningApplications(benchmark::State &state) {
    auto resolver = std::make_shared<quorvel::platform::InMemoryApplicationResolver>();
    resolver->addApplication("/usr/bin/sleep",
                             {"/apps/sleep.desktop", "org.example.Sleep", "", ""});
    const auto workspace = quorvel::WorkspaceProcesses::liveWorkspace(resolver);
    for (auto _ : state) {
        benchmark::DoNotOptimize(workspace->runningApplications("org.example.Sleep"));
    }
}
BENCHMARK(runningApplications)->Unit(benchmark::kMillisecond);

void guardedSignal(benchmark::State &state) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (;;) ::pause();
    }
    const auto sample = quorvel::WorkspaceProcesses::inspect(child);
    const quorvel::platform::ProcessSignaller signaller(quorvel::WorkspaceProcesses::inspect);
    for (auto _ : state) {
        benchmark::DoNotOptimize(signaller.send(
            sample ? sample->sampled() : quorvel::platform::SampledProcess{child, 0, "", ""},
            SIGCONT));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}
BENCHMARK(guardedSignal)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
