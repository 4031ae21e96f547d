#!/usr/bin/env bash
# Builds Korvane and passes its whole test suite: once as built for use, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh test

jobs=$(nproc)

# The soundtrack tests play into a null sink and record its monitor. A running server is kept.
# The keep-alive stream stops the null sink holding every new stream back by a second or more.
pactl info >/dev/null 2>&1 || pulseaudio -D --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=nullsink" --load="module-native-protocol-unix"
pactl list short sinks | grep -q nullsink || pactl load-module module-null-sink sink_name=nullsink
pacat --raw --latency-msec=20 -d nullsink </dev/zero &
keepalive=$!
trap 'kill $keepalive' EXIT
sleep 2.5
# The options are named: the run command shares build/ and switches the tests off there.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TESTS=ON -DKV_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

# Line tables are all the sanitizers' reports need, and take half the compile time of full
# debug information.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DKV_SANITIZE=ON -DKV_TESTS=ON -DKV_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j "$jobs"

# A short fuzz run of every libFuzzer target over its seed corpus (clang, sanitizers on).
# New inputs go to a scratch folder; the seeds stay as they are. One target a core at a time,
# each for its own ten seconds; each run's output is shown whole once it ends.
# Optimised as fuzzing is done, with line tables for the reports: 40 % less compile time than
# full optimisation and debug information.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DKV_FUZZ=ON -DKV_SANITIZE=ON -DKV_TESTS=OFF -DKV_BENCH=OFF \
    -DKV_CONSOLE=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_frame_scan fuzz_scenario_load \
    fuzz_ini_reader fuzz_reply_decode fuzz_show_import fuzz_timecode_decode
fuzz() {
    local scratch status=0
    scratch=$(mktemp -d)
    build-fuzz/bin/fuzz_$1 -max_total_time=10 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/ \
        "$scratch" "fuzz/corpus/$2" >"build-fuzz/fuzz_$1.log" 2>&1 || status=$?
    rm -rf "$scratch"
    return $status
}
running=()
names=()
failed=0
finish_first() {
    wait "${running[0]}" || failed=1
    cat "build-fuzz/fuzz_${names[0]}.log"
    running=("${running[@]:1}")
    names=("${names[@]:1}")
}
for target in frame_scan:frames scenario_load:scenario ini_reader:ini reply_decode:replies \
    show_import:import timecode_decode:timecode; do
    (( ${#running[@]} < jobs )) || finish_first
    fuzz "${target%%:*}" "${target##*:}" &
    running+=($!)
    names+=("${target%%:*}")
done
while (( ${#running[@]} > 0 )); do
    finish_first
done
exit $failed
