#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Apps/DesktopEntryIndex.h"
#include "Apps/DesktopEntryResolver.h"
#include "Apps/ProcessCgroup.h"
#include "Apps/ProcessFamilies.h"
#include "Engine/AppGrouping.h"

namespace {

namespace fs = std::filesystem;
using quorvel::RawProcess;
using namespace quorvel::platform;

constexpr int kApplications = 200;
constexpr int kProcesses = 500;

// 200 applications installed as wrapper scripts in a bin folder that run a
// binary in a folder of their own, and a sample of 500 processes: each
// application's binary and a helper beside it, and 100 loose programs that
// every rule is tried on in vain.
class Installation {
public:
    Installation() {
        std::string pattern = (fs::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw fs::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
        root_ = pattern;
        fs::create_directories(root_ / "usr/bin");
        fs::create_directories(applications());
        for (int i = 0; i < kApplications; ++i) {
            const std::string name = "app" + std::to_string(i);
            const fs::path wrapper = root_ / "usr/bin" / name;
            std::ofstream(wrapper) << "#!/bin/sh\n";
            fs::permissions(wrapper, fs::perms::owner_all);
            std::ofstream(fs::path(applications()) / ("org.example." + name + ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=App " << i
                << "\nExec=" << wrapper.string() << " %U\n";
            const std::string folder = (root_ / "usr/lib" / name).string();
            processes_.push_back(process(folder + "/" + name));
            processes_.push_back(process(folder + "/crash_handler"));
        }
        while (processes_.size() < kProcesses) {
            processes_.push_back(process(
                (root_ / "usr/bin" / ("tool" + std::to_string(processes_.size()))).string()));
        }
    }
    ~Installation() { fs::remove_all(root_); }

    std::string applications() const { return (root_ / "share/applications").string(); }
    const std::vector<RawProcess> &processes() const { return processes_; }

private:
    RawProcess process(const std::string &path) {
        const auto pid = static_cast<int32_t>(10000 + processes_.size());
        return {pid, 1, 1000, 3, 1 << 20, fs::path(path).filename().string(), path, 1};
    }

    fs::path root_;
    std::vector<RawProcess> processes_;
};

const Installation &installation() {
    static const Installation shared;
    return shared;
}

// Resolution of one new process: the program index alone, as before, and
// with the rules for wrapper scripts, helpers and interpreters after it,
// including the read of the command line they need.
void BM_NewProcess(benchmark::State &state) {
    const bool withLayouts = state.range(0) != 0;
    const DesktopEntryIndex index({installation().applications()});
    const ProcessIdentity self{static_cast<int32_t>(::getpid()), 0};
    size_t found = 0;
    for (auto _ : state) {
        for (const RawProcess &process : installation().processes()) {
            const InstalledApplication *application = index.byProgram(process.path);
            if (!application && withLayouts)
                application = index.byLayout(process.path, readProcessArguments(self));
            found += application != nullptr;
        }
    }
    state.SetLabel(withLayouts ? "after" : "before");
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
    state.counters["per process"] = benchmark::Counter(
        static_cast<double>(kProcesses) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NewProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Resolution in one sample of 500 known processes: the resolver's answers
// from its cache, as before, and settled within their families, as after.
void BM_SampleResolution(benchmark::State &state) {
    const bool withFamilies = state.range(0) != 0;
    DesktopEntryResolver resolver(
        {installation().applications()}, [](const ProcessIdentity &) { return std::nullopt; },
        [](const ProcessIdentity &) { return std::vector<std::string>{}; });
    resolver.waitForFirstIndex(std::chrono::seconds(60));
    std::vector<FamilyMember> members;
    for (auto _ : state) {
        members.clear();
        for (const RawProcess &process : installation().processes()) {
            members.push_back({process.pid, process.ppid, process.name,
                               resolver.applicationFor(process.identity(), process.path)});
        }
        if (withFamilies) benchmark::DoNotOptimize(settleFamilies(members));
        benchmark::DoNotOptimize(members.data());
    }
    state.SetLabel(withFamilies ? "after" : "before");
}
BENCHMARK(BM_SampleResolution)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The whole fold of a sample of 500, for scale.
void BM_SampleFold(benchmark::State &state) {
    DesktopEntryResolver resolver(
        {installation().applications()}, [](const ProcessIdentity &) { return std::nullopt; },
        [](const ProcessIdentity &) { return std::vector<std::string>{}; });
    resolver.waitForFirstIndex(std::chrono::seconds(60));
    quorvel::AppGrouping::Caches caches;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quorvel::AppGrouping::fold(installation().processes(), resolver, caches));
    }
}
BENCHMARK(BM_SampleFold)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
