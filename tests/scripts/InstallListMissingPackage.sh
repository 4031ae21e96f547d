#!/usr/bin/env bash
# Takes Qt OpenGL's development package out of a copy of the install list, as it was before a
# fresh machine failed to configure for want of it: the check must fail, name the package, one
# of its files the build used, and the list line to extend.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
sed 's/ libqt6opengl6-dev\b//' "$root/scripts/install-packages.sh" >"$copy"
if grep -q libqt6opengl6-dev "$copy"; then
    echo "the install list names libqt6opengl6-dev in a way this test cannot take out"
    exit 1
fi
output=$(bash "$root/scripts/check-install-list.sh" --install-script "$copy" "$1")
status=$?
echo "$output"
[ $status -eq 1 ] || { echo "expected the check to fail (status 1), got $status"; exit 1; }
line=$(grep -n '^build=(' "$copy" | cut -d: -f1)
expected="install list: libqt6opengl6-dev is missing; the build uses /usr/lib/x86_64-linux-gnu/cmake/Qt6OpenGL/"
grep -qF "$expected" <<<"$output" || { echo "missing: $expected"; exit 1; }
grep -qF "Add libqt6opengl6-dev to the build=( list, line $line of scripts/install-packages.sh" \
    <<<"$output" || { echo "the message does not name the build list's line $line"; exit 1; }
[ "$(grep -c 'is missing' <<<"$output")" -eq 1 ] || { echo "other packages reported too"; exit 1; }
