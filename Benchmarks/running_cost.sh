#!/usr/bin/env bash
# What a resident Quorvel costs beside its peers: runs `quorvel --headless` at
# its 2 s interval, `top -b -d 2` and btop (update_ms 2000, in a
# pseudo-terminal) side by side for DURATION seconds with sleeping processes
# added until the machine has about PROCESSES, and prints each one's CPU
# seconds (steady part, after the first ten seconds) and resident memory, with
# Quorvel's ratios against its goals: at most half of top's CPU and under
# 16 MiB resident. scripts/setup.sh --bench installs the peers.
#   bash Benchmarks/running_cost.sh [build-dir] [duration-seconds] [processes]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
duration=${2:-60}
target=${3:-450}
quorvel="$build/bin/quorvel"
[[ -x $quorvel ]] || { echo "no $quorvel; run scripts/bench.sh first" >&2; exit 1; }
command -v btop >/dev/null || { echo "no btop; run scripts/setup.sh --bench" >&2; exit 1; }

work=$(mktemp -d)
# A session's runtime directory is in memory (tmpfs), where the instance lock
# costs no disk flush.
runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work" "$runtime"' EXIT

# Counted by a glob: find fails when a process goes while it reads /proc.
count_processes() { local all=(/proc/[0-9]*); echo "${#all[@]}"; }
present=$(count_processes)
extra=$((target > present ? target - present : 0))
for _ in $(seq "$extra"); do
    sleep $((duration + 60)) &
    pids+=($!)
done

cpu_seconds() { # utime + stime of a pid from /proc/<pid>/stat, in seconds
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / hz }' "/proc/$1/stat"
}
rss_mib() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

XDG_RUNTIME_DIR="$runtime" "$quorvel" --headless 2>/dev/null &
quorvel_pid=$!
pids+=("$quorvel_pid")
top -b -d 2 >/dev/null &
top_pid=$!
pids+=("$top_pid")
mkdir -p "$work/config/btop"
printf 'update_ms = 2000\n' >"$work/config/btop/btop.conf"
XDG_CONFIG_HOME="$work/config" TERM=xterm-256color \
    script -qfc "stty cols 160 rows 50; exec btop" /dev/null </dev/null >/dev/null 2>&1 &
script_pid=$!
pids+=("$script_pid")
btop_pid=""
for _ in $(seq 100); do
    btop_pid=$(pgrep -P "$script_pid" -x btop || true)
    [[ -n $btop_pid ]] && break
    sleep 0.1
done
[[ -n $btop_pid ]] || { echo "btop did not start" >&2; exit 1; }
pids+=("$btop_pid")

# Start-up (loading libraries, indexing the installed applications) is paid
# once; the figures leave out the first ten seconds.
settle=10
sleep "$settle"
processes=$(count_processes)
q0=$(cpu_seconds "$quorvel_pid") t0=$(cpu_seconds "$top_pid") b0=$(cpu_seconds "$btop_pid")
sleep $((duration - settle))
q1=$(cpu_seconds "$quorvel_pid") t1=$(cpu_seconds "$top_pid") b1=$(cpu_seconds "$btop_pid")
qr=$(rss_mib "$quorvel_pid") tr=$(rss_mib "$top_pid") br=$(rss_mib "$btop_pid")

awk -v n="$processes" -v d=$((duration - settle)) \
    -v q0="$q0" -v q1="$q1" -v t0="$t0" -v t1="$t1" -v b0="$b0" -v b1="$b1" \
    -v qr="$qr" -v tr="$tr" -v br="$br" 'BEGIN {
    qc = q1 - q0; tc = t1 - t0; bc = b1 - b0
    printf "%d processes, %d s at the 2 s interval (CPU seconds over the window; resident memory)\n", n, d
    printf "  %-20s %8s %10s\n", "program", "CPU s", "RSS MiB"
    printf "  %-20s %8.2f %10.1f\n", "quorvel --headless", qc, qr
    printf "  %-20s %8.2f %10.1f\n", "top -b -d 2", tc, tr
    printf "  %-20s %8.2f %10.1f\n", "btop (2000 ms)", bc, br
    ratio = (tc > 0 ? qc / tc : 0)
    printf "  quorvel / top CPU  %6.2f x  (goal at most 0.50: %s)\n", ratio, ratio <= 0.5 ? "met" : "missed"
    printf "  quorvel / btop CPU %6.2f x\n", (bc > 0 ? qc / bc : 0)
    printf "  quorvel RSS        %6.1f MiB (goal under 16: %s)\n", qr, qr < 16 ? "met" : "missed"
}'
