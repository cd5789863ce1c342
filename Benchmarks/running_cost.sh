#!/usr/bin/env bash
# What a resident Quorvel costs: runs `quorvel --headless` at its 2 s interval
# for DURATION seconds beside about 300 extra processes and, over the same
# time, the floor (a loop that reads the same /proc files at the same pace and
# does nothing with them) and `top -b -d 2`. Prints CPU seconds, Quorvel's
# peak resident memory and the ratios, for the whole run and for its steady
# part after the first ten seconds.
#   bash Benchmarks/running_cost.sh [build-dir] [duration-seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
duration=${2:-60}
quorvel="$build/bin/quorvel"
[[ -x $quorvel ]] || { echo "no $quorvel; run scripts/bench.sh first" >&2; exit 1; }

work=$(mktemp -d)
# A session's runtime directory is in memory (tmpfs), where the instance lock
# costs no disk flush.
runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work" "$runtime"' EXIT

cat > "$work/floor.cpp" <<'CPP'
// Reads what one sample and one pressure poll read, every 2 s, and drops it.
#include <dirent.h>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <unordered_set>
static char buffer[65536];
// One read: /proc hands out a whole small file at once.
static void slurp(const char *path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    if (read(fd, buffer, sizeof buffer) < 0) {}
    close(fd);
}
int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 30;
    std::unordered_set<long> seen;
    for (int round = 0; round < rounds; ++round) {
        slurp("/proc/meminfo");
        slurp("/proc/pressure/memory");
        DIR *proc = opendir("/proc");
        while (dirent *entry = readdir(proc)) {
            if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
            char path[64];
            // No exe link means no memory of its own, so nothing more to read.
            std::snprintf(path, sizeof path, "/proc/%s/exe", entry->d_name);
            if (readlink(path, buffer, sizeof buffer) < 0 && errno == ENOENT) continue;
            std::snprintf(path, sizeof path, "/proc/%s/status", entry->d_name);
            slurp(path);
            // A process's stat and cgroup are read once, when it is first seen.
            if (seen.insert(std::atol(entry->d_name)).second) {
                for (const char *file : {"stat", "cgroup"}) {
                    std::snprintf(path, sizeof path, "/proc/%s/%s", entry->d_name, file);
                    slurp(path);
                }
            }
        }
        closedir(proc);
        timespec pause{2, 0};
        nanosleep(&pause, nullptr);
    }
}
CPP
g++ -O2 -o "$work/floor" "$work/floor.cpp"

for _ in $(seq 300); do sleep $((duration + 30)) & done

cpu_seconds() { # utime + stime of a pid from /proc/<pid>/stat, in seconds
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / hz }' "/proc/$1/stat"
}

export XDG_RUNTIME_DIR="$runtime"
"$quorvel" --headless 2>/dev/null &
quorvel_pid=$!
"$work/floor" $((duration / 2)) &
floor_pid=$!
top -b -d 2 -n $((duration / 2)) >/dev/null &
top_pid=$!

# Start-up (loading libraries, indexing the installed applications) is paid
# once; the steady figures leave out the first ten seconds.
settle=10
peak_kib=0
for second in $(seq "$duration"); do
    rss=$(awk '/^VmHWM/ { print $2 }' "/proc/$quorvel_pid/status")
    ((rss > peak_kib)) && peak_kib=$rss
    quorvel_cpu=$(cpu_seconds "$quorvel_pid")
    floor_cpu=$(cpu_seconds "$floor_pid" 2>/dev/null || echo "$floor_cpu")
    top_cpu=$(cpu_seconds "$top_pid" 2>/dev/null || echo "$top_cpu")
    if ((second == settle)); then
        quorvel_settled=$quorvel_cpu floor_settled=$floor_cpu top_settled=$top_cpu
    fi
    sleep 1
done
kill "$quorvel_pid"

awk -v q="$quorvel_cpu" -v f="$floor_cpu" -v t="$top_cpu" -v d="$duration" -v rss="$peak_kib" \
    -v qs="$quorvel_settled" -v fs="$floor_settled" -v ts="$top_settled" -v s="$settle" 'BEGIN {
    printf "over %d s beside ~300 extra processes\n", d
    printf "  quorvel --headless  %6.2f s CPU  (%.3f %% of one core)\n", q, 100 * q / d
    printf "  floor /proc loop    %6.2f s CPU\n", f
    printf "  top -b -d 2         %6.2f s CPU\n", t
    printf "  quorvel / floor     %6.2f x\n", (f > 0 ? q / f : 0)
    printf "  quorvel / top       %6.2f x\n", (t > 0 ? q / t : 0)
    printf "  quorvel peak RSS    %6.1f MiB\n", rss / 1024
    sq = q - qs; sf = f - fs; st = t - ts
    printf "steady, the last %d s\n", d - s
    printf "  quorvel --headless  %6.2f s CPU  (%.3f %% of one core)\n", sq, 100 * sq / (d - s)
    printf "  floor /proc loop    %6.2f s CPU\n", sf
    printf "  top -b -d 2         %6.2f s CPU\n", st
    printf "  quorvel / floor     %6.2f x\n", (sf > 0 ? sq / sf : 0)
    printf "  quorvel / top       %6.2f x\n", (st > 0 ? sq / st : 0)
}'
