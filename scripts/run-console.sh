#!/usr/bin/env bash
# Builds Korvane and starts the console.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh run

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TESTS=OFF -DKV_BENCH=OFF
cmake --build build -j "$(nproc)" --target kvshow
exec build/bin/kvshow "$@"
