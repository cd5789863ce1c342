#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Apps/ApplicationDirectories.h"
#include "Apps/CgroupUnitName.h"
#include "Apps/DesktopEntryIndex.h"

namespace {

namespace fs = std::filesystem;
using quorvel::platform::DesktopEntryIndex;

constexpr int kSyntheticEntries = 500;

// 500 entries shaped like real ones (some 40 translations each), each with
// a program of its own, in a directory that goes when the run ends.
class SyntheticApplications {
public:
    SyntheticApplications() {
        std::string pattern = (fs::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw fs::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
        root_ = pattern;
        fs::create_directories(root_ / "bin");
        fs::create_directories(applications());
        for (int i = 0; i < kSyntheticEntries; ++i) {
            const std::string name = "app" + std::to_string(i);
            const fs::path program = root_ / "bin" / name;
            std::ofstream(program) << "#!/bin/sh\n";
            fs::permissions(program, fs::perms::owner_all);
            std::ofstream entry(fs::path(applications()) / ("org.example." + name + ".desktop"));
            entry << "[Desktop Entry]\nType=Application\nName=App " << i
                  << "\nExec=" << program.string() << " %U\nIcon=" << name
                  << "\nCategories=Utility;\n";
            for (int language = 0; language < 40; ++language) {
                entry << "Name[l" << language << "]=App " << i << " in language " << language
                      << "\n"
                      << "Comment[l" << language << "]=Does useful things, number " << i << "\n";
            }
        }
    }
    ~SyntheticApplications() { fs::remove_all(root_); }

    std::string applications() const { return (root_ / "share" / "applications").string(); }

private:
    fs::path root_;
};

void BM_IndexThisMachine(benchmark::State &state) {
    const auto directories =
        quorvel::platform::applicationDirectories(quorvel::platform::currentXdgEnvironment());
    size_t entries = 0;
    for (auto _ : state) {
        const DesktopEntryIndex index(directories);
        entries = index.size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_IndexThisMachine)->Unit(benchmark::kMillisecond);

void BM_IndexSyntheticEntries(benchmark::State &state) {
    static const SyntheticApplications synthetic;
    size_t entries = 0;
    for (auto _ : state) {
        const DesktopEntryIndex index({synthetic.applications()});
        entries = index.size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["per entry"] =
        benchmark::Counter(static_cast<double>(entries) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IndexSyntheticEntries)->Unit(benchmark::kMillisecond);

void BM_CgroupApplicationIds(benchmark::State &state) {
    const std::string cgroup = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                               "app-gnome-org.mozilla.firefox\\x2desr-4821.scope\n";
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvel::platform::CgroupUnitName::applicationIdsOfCgroup(cgroup));
    }
}
BENCHMARK(BM_CgroupApplicationIds);

} // namespace

BENCHMARK_MAIN();
