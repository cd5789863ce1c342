// One process listing and one full fold against the bare cost of the /proc
// files they read and against one run of ps, with about 500 extra processes.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/AppGrouping.h"
#include "System/PerProcessMemory.h"

extern char **environ;

namespace {

constexpr int kExtraProcesses = 500;

// Sleeping children, killed and reaped when this goes away.
class SleepingChildren {
public:
    explicit SleepingChildren(int count) {
        const pid_t parent = ::getpid();
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (::getppid() != parent) ::_exit(0);
                for (;;) ::pause();
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~SleepingChildren() {
        for (pid_t pid : pids_) ::kill(pid, SIGKILL);
        for (pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
    }
    std::size_t size() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

int processCount() {
    std::vector<int32_t> pids(quorvel::PerProcessMemory::kMaxProcesses);
    return qv_list_pids(pids.data(), quorvel::PerProcessMemory::kMaxProcesses);
}

void readWholeFile(const char *path) {
    char buffer[4096];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    while (::read(fd, buffer, sizeof buffer) > 0) benchmark::DoNotOptimize(buffer);
    ::close(fd);
}

void countPerProcess(benchmark::State &state) {
    state.counters["processes"] = processCount();
    state.counters["per_process"] =
        benchmark::Counter(processCount(), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

// What any probe must do: every pid's status, stat and executable link.
void BM_Floor(benchmark::State &state) {
    for (auto _ : state) {
        DIR *proc = ::opendir("/proc");
        if (!proc) continue;
        while (const dirent *entry = ::readdir(proc)) {
            if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
            char path[300];
            std::snprintf(path, sizeof path, "/proc/%s/status", entry->d_name);
            readWholeFile(path);
            std::snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
            readWholeFile(path);
            std::snprintf(path, sizeof path, "/proc/%s/exe", entry->d_name);
            char target[4096];
            benchmark::DoNotOptimize(::readlink(path, target, sizeof target));
        }
        ::closedir(proc);
    }
    countPerProcess(state);
}
BENCHMARK(BM_Floor)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ListProcesses(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvel::PerProcessMemory::listProcesses(true));
    }
    countPerProcess(state);
}
BENCHMARK(BM_ListProcesses)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The sampler's listing: start times remembered and status files kept open
// from one listing to the next.
void BM_RememberingListing(benchmark::State &state) {
    quorvel::PerProcessMemory::ProcessListing listing;
    for (auto _ : state) {
        benchmark::DoNotOptimize(listing.list(true));
    }
    countPerProcess(state);
}
BENCHMARK(BM_RememberingListing)->UseRealTime()->Unit(benchmark::kMicrosecond);

// One sample as the engine takes it, caches kept from one to the next.
void BM_FullFold(benchmark::State &state) {
    quorvel::platform::InMemoryApplicationResolver resolver;
    quorvel::AppGrouping::Caches caches;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvel::AppGrouping::fold(
            quorvel::PerProcessMemory::listProcesses(true), resolver, caches));
    }
    countPerProcess(state);
}
BENCHMARK(BM_FullFold)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PsOnce(benchmark::State &state) {
    char *const arguments[] = {const_cast<char *>("ps"), const_cast<char *>("-e"),
                               const_cast<char *>("-o"),
                               const_cast<char *>("pid,ppid,uid,stat,rss,comm"), nullptr};
    for (auto _ : state) {
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) continue;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, "ps", &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        char buffer[65536];
        while (::read(output[0], buffer, sizeof buffer) > 0) benchmark::DoNotOptimize(buffer);
        ::close(output[0]);
        if (spawned == 0) ::waitpid(pid, nullptr, 0);
    }
    countPerProcess(state);
}
BENCHMARK(BM_PsOnce)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const SleepingChildren children(kExtraProcesses);
    if (children.size() != static_cast<std::size_t>(kExtraProcesses)) {
        std::fprintf(stderr, "started only %zu of %d children\n", children.size(), kExtraProcesses);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
