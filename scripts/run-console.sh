#!/usr/bin/env bash
# Builds Korvane (kvshow, kvctl, kvfield) and starts the console. On its first run the console
# makes the user's settings ($XDG_CONFIG_HOME/korvane/kvshow.ini) pointing at the demo field;
# settings already there are kept. A kvshow.ini beside the program (build/bin/) is read first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh run

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TESTS=OFF -DKV_BENCH=OFF
cmake --build build -j "$(nproc)" --target kvshow kvctl kvfield

# The soundtrack plays through the sound server; outside a desktop session (root on a console
# or over ssh) none runs, and the console would start without sound.
pactl info >/dev/null 2>&1 || pulseaudio --start --exit-idle-time=-1 || true
exec build/bin/kvshow "$@"
