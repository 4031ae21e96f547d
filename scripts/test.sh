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
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
