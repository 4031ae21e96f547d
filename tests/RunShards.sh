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
# A failing shard's output is shown whole and first, the others by their last line: a log cut
# short in its middle (as CI shows it) still holds the failure.
status=0
failed=()
for ((index = 0; index < shards; ++index)); do
    wait "${pids[index]}" || { status=1; failed+=("$index"); }
done
for index in "${failed[@]}"; do
    echo "--- shard $((index + 1)) of $shards: failed"
    cat "$outputs/$index"
done
for ((index = 0; index < shards; ++index)); do
    [[ " ${failed[*]} " == *" $index "* ]] && continue
    echo "--- shard $((index + 1)) of $shards: $(tail -n 1 "$outputs/$index")"
done
exit $status
