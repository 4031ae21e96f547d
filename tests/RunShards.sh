#!/usr/bin/env bash
# Runs a test program as SHARDS processes side by side, by the test framework's own sharding,
# and fails when any of them fails. For programs whose cases mostly wait on real time.
set -u
program=$1
shards=$2
shift 2
# In the working folder, so that a run killed on its time-out leaves each shard's output.
outputs=$(mktemp -d "$PWD/shards-XXXXXX")
echo "shard outputs: $outputs"
trap 'rm -rf "$outputs"' EXIT
pids=()
for ((index = 0; index < shards; ++index)); do
    GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$index "$program" "$@" >"$outputs/$index" 2>&1 &
    pids+=($!)
done
status=0
for ((index = 0; index < shards; ++index)); do
    wait "${pids[index]}" || status=1
    echo "--- shard $((index + 1)) of $shards"
    cat "$outputs/$index"
done
exit $status
