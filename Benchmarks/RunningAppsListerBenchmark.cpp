// The running-applications list the store edition refreshes every five
// seconds on the main thread, with a few hundred extra processes of the
// current user running. The bare listing of the process directory is the
// floor any listing pays; the first listing of a table shows what the
// per-process cache saves.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>

#include <cctype>
#include <vector>

#include "Apps/DesktopEntryResolver.h"
#include "Engine/RunningAppsLister.h"
#include "System/UserProcessTable.h"

namespace {

constexpr int kExtraProcesses = 300;

// Children that wait until they are killed.
class Sleepers {
public:
    Sleepers() {
        for (int i = 0; i < kExtraProcesses; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                for (;;) ::pause();
            }
            if (child > 0) children_.push_back(child);
        }
    }
    ~Sleepers() {
        for (pid_t child : children_) ::kill(child, SIGKILL);
        for (pid_t child : children_) ::waitpid(child, nullptr, 0);
    }

private:
    std::vector<pid_t> children_;
};

void bareProcListing(benchmark::State &state) {
    for (auto _ : state) {
        int count = 0;
        DIR *directory = ::opendir("/proc");
        while (const dirent *entry = ::readdir(directory)) {
            if (std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) ++count;
        }
        ::closedir(directory);
        benchmark::DoNotOptimize(count);
    }
}

std::shared_ptr<quorvel::platform::DesktopEntryResolver> indexedResolver() {
    auto resolver = std::make_shared<quorvel::platform::DesktopEntryResolver>();
    while (resolver->indexBuilds() == 0) QThread::msleep(10);
    return resolver;
}

void runningAppsListing(benchmark::State &state) {
    auto table = std::make_shared<quorvel::UserProcessTable>();
    quorvel::RunningAppsLister lister(indexedResolver(), [table] { return table->list(); });
    lister.list(); // what every later five-second refresh finds cached
    for (auto _ : state) benchmark::DoNotOptimize(lister.list());
}

void firstListing(benchmark::State &state) {
    auto resolver = indexedResolver();
    for (auto _ : state) {
        auto table = std::make_shared<quorvel::UserProcessTable>();
        quorvel::RunningAppsLister lister(resolver, [table] { return table->list(); });
        benchmark::DoNotOptimize(lister.list());
    }
}

} // namespace

BENCHMARK(bareProcListing)->Unit(benchmark::kMicrosecond);
BENCHMARK(runningAppsListing)->Unit(benchmark::kMicrosecond);
BENCHMARK(firstListing)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const Sleepers sleepers;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
