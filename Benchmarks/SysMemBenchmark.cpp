// One full memory reading against the bare cost of the files it reads.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "sysmem.h"

namespace {

void readWholeFile(const char *path) {
    char buffer[8192];
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    while (::read(fd, buffer, sizeof buffer) > 0) {
        benchmark::DoNotOptimize(buffer);
    }
    ::close(fd);
}

// What any reader must do: /proc/meminfo for the statistics and again for the
// classification, the PSI file once, and every zram device's mm_stat.
void BM_Floor(benchmark::State &state) {
    for (auto _ : state) {
        readWholeFile("/proc/meminfo");
        readWholeFile("/proc/pressure/memory");
        readWholeFile("/proc/meminfo");
        if (DIR *dir = ::opendir("/sys/block")) {
            while (dirent *entry = ::readdir(dir)) {
                if (std::strncmp(entry->d_name, "zram", 4) != 0) continue;
                readWholeFile(("/sys/block/" + std::string(entry->d_name) + "/mm_stat").c_str());
            }
            ::closedir(dir);
        }
    }
}
BENCHMARK(BM_Floor);

void BM_FullReading(benchmark::State &state) {
    for (auto _ : state) {
        qv_vm_record record;
        benchmark::DoNotOptimize(qv_vm_stats(&record));
        benchmark::DoNotOptimize(qv_pressure_level());
    }
}
BENCHMARK(BM_FullReading);

} // namespace

BENCHMARK_MAIN();
