#!/usr/bin/env bash
# Runs the sound-to-fire benchmark on a PulseAudio server of its own with a null sink, so that
# no other sound on the machine reaches the recording.
# Usage: bench-sound-to-fire.sh [build dir] [sink latency in ms, default 20]
# A null sink runs at the latency of the stream that asks for the least, here the keep-alive
# stream's: 100 stands for a sound card's buffer.
set -euo pipefail
build=${1:-build}
sink_latency=${2:-20}
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
pacat --raw --latency-msec="$sink_latency" -d nullsink </dev/zero &
keepalive=$!
trap 'kill $keepalive $server; wait $server 2>/dev/null; rm -rf "$runtime"' EXIT
sleep 2.5
"$build/bin/bench_sound_to_fire"
