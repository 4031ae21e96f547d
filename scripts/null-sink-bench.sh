#!/usr/bin/env bash
# Runs a benchmark that plays into and records from a null sink on a PulseAudio server of its
# own, so that no other sound on the machine (nor another engineer's test) reaches the
# recording, and the benchmark does not depend on a shared server being up.
# Usage: null-sink-bench.sh PROGRAM [build dir] [sink latency in ms, default 20] [bench args...]
# A null sink runs at the latency of the stream that asks for the least, here the keep-alive
# stream's: 100 stands for a sound card's buffer.
set -euo pipefail
program=$1
build=${2:-build}
sink_latency=${3:-20}
shift $(($# < 3 ? $# : 3))
runtime=$(mktemp -d /tmp/kv-null-sink-bench.XXXXXX)
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
"$build/bin/$program" "$@"
