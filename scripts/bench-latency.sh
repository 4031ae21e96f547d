#!/usr/bin/env bash
# Sound to fire and timecode to fire, each with the show's real-time requests granted and
# refused (run as root, or as an operator the limits file allows), on the machine as it is or
# beside busy loops: two per core make a load of about 8 on a 2-core PC. The load is printed
# (uptime) before and after each run; the busy loops run only during the runs.
# Usage: bench-latency.sh [build dir] [busy loops, default 0] [timecode cases, a benchmark
#        filter, default all]
set -euo pipefail
build=${1:-build}
loops=${2:-0}
cases=${3:-.}
here=$(dirname "$0")
busy=()
stop_busy() {
    [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true
    busy=()
}
trap stop_busy EXIT
start_busy() {
    for _ in $(seq "$loops"); do
        (while :; do :; done) &
        busy+=($!)
    done
    # The load average follows in about a minute; the runs do not wait for it.
}
run() {
    echo "== $1, real time $2, busy loops $loops; before: $(uptime)"
    start_busy
    shift 2
    "$@" || true
    stop_busy
    echo "== after: $(uptime)"
}
for real_time in 1 0; do
    export KV_BENCH_REAL_TIME=$real_time
    run "sound to fire" "$real_time" bash "$here/null-sink-bench.sh" bench_sound_to_fire "$build"
    run "timecode to fire" "$real_time" bash "$here/null-sink-bench.sh" bench_timecode_to_fire \
        "$build" 20 --benchmark_filter="$cases"
done
