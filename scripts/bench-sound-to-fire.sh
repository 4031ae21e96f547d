#!/usr/bin/env bash
# The sound-to-fire benchmark on a null sink of its own.
# Usage: bench-sound-to-fire.sh [build dir] [sink latency in ms, default 20]
exec "$(dirname "$0")/null-sink-bench.sh" bench_sound_to_fire "$@"
