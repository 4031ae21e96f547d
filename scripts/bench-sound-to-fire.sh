#!/usr/bin/env bash
# Runs the sound-to-fire benchmark on a PulseAudio server of its own with a null sink, so that
# no other sound on the machine reaches the recording. Usage: bench-sound-to-fire.sh [build dir]
set -euo pipefail
build=${1:-build}
runtime=$(mktemp -d /tmp/kv-sound-to-fire.XXXXXX)
export PULSE_RUNTIME_PATH=$runtime PULSE_STATE_PATH=$runtime
pulseaudio --daemonize=no --use-pid-file=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-native-protocol-unix socket=$runtime/native auth-anonymous=1" \
    >"$runtime/server.log" 2>&1 &
server=$!
export PULSE_SERVER=unix:$runtime/native
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
# The null sink holds every new stream back by a second or more unless one already plays.
pacat --raw --latency-msec=20 -d nullsink </dev/zero &
keepalive=$!
trap 'kill $keepalive $server; wait $server 2>/dev/null; rm -rf "$runtime"' EXIT
sleep 2.5
"$build/bin/bench_sound_to_fire"
