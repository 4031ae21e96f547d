#!/usr/bin/env bash
# Builds Korvane and starts the console. On the first run it puts a kvshow.ini beside the
# program that points at the demo field, and the sample files; an existing kvshow.ini is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh run

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TESTS=OFF -DKV_BENCH=OFF
cmake --build build -j "$(nproc)" --target kvshow

bin=build/bin
shopt -s nullglob
if [ ! -e "$bin/kvshow.ini" ]; then
    sed "s|@FIELD@|$PWD/share/demo-field.ini|" share/kvshow.ini.in > "$bin/kvshow.ini"
    for sample in share/sample-*; do
        cp -n "$sample" "$bin/"
    done
fi
# The soundtrack plays through the sound server; outside a desktop session (root on a console
# or over ssh) none runs, and the console would start without sound.
pactl info >/dev/null 2>&1 || pulseaudio --start --exit-idle-time=-1 || true
exec "$bin/kvshow" "$@"
