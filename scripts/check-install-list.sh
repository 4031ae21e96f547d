#!/usr/bin/env bash
# Fails when the install list no longer covers what a build really used: every file the build
# took from outside the tree (CMake package files, headers, libraries) must come from a package
# that the list reaches through Depends and Pre-Depends alone, as apt installs it on a fresh
# machine without recommended packages. Essential and build-essential packages count as present.
#
# Usage: check-install-list.sh [--install-script FILE] BUILD_DIR
# BUILD_DIR is a built tree configured with the tests (the test command's). The run command's
# list (`build`) is held to what the console program kvshow needs, configured as the run command
# configures it; the test command's list (`build` and `test`) to everything BUILD_DIR built.
set -euo pipefail
export LC_ALL=C

script="$(dirname "$0")/install-packages.sh"
if [ "${1:-}" = --install-script ]; then
    script=$2
    shift 2
fi
build=$(cd "${1:?usage: check-install-list.sh [--install-script FILE] BUILD_DIR}" && pwd)
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Files outside the source and build trees, one per line.
outside() {
    awk -v src="$source_dir/" -v bld="$build/" -v tmp="$scratch/" '
        { sub(/^[ |]+/, "") }
        /^\// && index($0, src) != 1 && index($0, bld) != 1 && index($0, tmp) != 1 { print }'
}

# Library paths of link commands: absolute .so/.a files and -lNAME resolved as the linker would.
link_libraries() {
    tr ' ' '\n' | awk '
        /^\/.*\.(so(\.[0-9]+)*|a)$/ { print; next }
        /^-l/ {
            name = substr($0, 3)
            split("/usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu /usr/lib /lib", dirs, " ")
            for (i = 1; i <= 4; i++) {
                for (ext = 1; ext <= 2; ext++) {
                    candidate = dirs[i] "/lib" name (ext == 1 ? ".so" : ".a")
                    if ((getline line < candidate) >= 0) { close(candidate); print candidate; next }
                }
            }
        }'
}

# What the test command's build used: every CMake file, header and library.
{
    ninja -C "$build" -t query build.ninja
    ninja -C "$build" -t deps
    ninja -C "$build" -t commands | link_libraries
} | outside | sort -u >"$scratch/test.files"

# What the run command needs: kvshow's headers and libraries, and the CMake files that a
# configure without tests and benchmarks reads.
cmake -S "$source_dir" -B "$scratch/run" -G Ninja -DKV_TESTS=OFF -DKV_BENCH=OFF >/dev/null
objects=$(ninja -C "$build" -t inputs kvshow | grep '\.o$' || true)
{
    ninja -C "$scratch/run" -t query build.ninja
    # shellcheck disable=SC2086
    [ -z "$objects" ] || ninja -C "$build" -t deps $objects
    ninja -C "$build" -t commands kvshow | link_libraries
} | outside | sort -u >"$scratch/run.files"

# Which package owns each file; with merged /usr, dpkg may have it under /lib or /bin.
awk '
    FNR == 1 { package = FILENAME; sub(/.*\//, "", package); sub(/\.list$/, "", package); sub(/:.*/, "", package) }
    { owner[$0] = package }
    END {
        while ((getline path < "/dev/stdin") > 0) {
            found = owner[path]
            if (found == "" && path ~ /^\/usr\/(lib|lib64|bin|sbin)\//) found = owner[substr(path, 5)]
            if (found == "") {
                resolved = ""
                command = "readlink -f \"" path "\""
                command | getline resolved
                close(command)
                found = owner[resolved]
                if (found == "" && resolved ~ /^\/usr\//) found = owner[substr(resolved, 5)]
            }
            print (found == "" ? "-" : found) "\t" path
        }
    }' /var/lib/dpkg/info/*.list <"$scratch/test.files" >"$scratch/test.owners"
join -t $'\t' -1 2 -2 1 <(sort -t $'\t' -k2,2 "$scratch/test.owners") "$scratch/run.files" \
    | awk -F '\t' '{ print $2 "\t" $1 }' >"$scratch/run.owners"

# Packages reached from a list through Depends and Pre-Depends. Of alternatives apt installs
# the first; a virtual package is reached through each installed provider.
reach() {
    dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Essential}\t${Provides}\t${Depends}, ${Pre-Depends}\n' \
        | awk -F '\t' -v roots="$*" '
        function name(text) { sub(/^ +/, "", text); sub(/[ (:].*/, "", text); return text }
        $1 ~ /^ii/ {
            installed[$2] = 1
            depends[$2] = $5
            if ($3 == "yes") essential[$2] = 1
            n = split($4, provided, ",")
            for (i = 1; i <= n; i++) if (name(provided[i]) != "") providers[name(provided[i])] = providers[name(provided[i])] " " $2
        }
        function visit(package,    count, items, i, choice, k, list, p) {
            if (package in reached) return
            if (!(package in installed)) {
                reached[package] = 1
                k = split(providers[package], list, " ")
                for (p = 1; p <= k; p++) visit(list[p])
                return
            }
            reached[package] = 1
            count = split(depends[package], items, ",")
            for (i = 1; i <= count; i++) {
                split(items[i], choice, "|")
                if (name(choice[1]) != "") visit(name(choice[1]))
            }
        }
        END {
            n = split(roots, list, " ")
            for (i = 1; i <= n; i++) visit(list[i])
            for (package in essential) visit(package)
            visit("build-essential")
            for (package in reached) print package
        }'
}

status=0
: >"$scratch/reported"
# Reports each package a list misses, with one file of it, and the line to extend.
verdict() {
    local kind=$1 owners=$2 line
    shift 2
    { reach "$@"; cat "$scratch/reported"; } | sort -u >"$scratch/$kind.reached"
    line=$(grep -n "^$kind=(" "$script" | cut -d: -f1)
    while IFS=$'\t' read -r package path; do
        if [ "$package" = - ]; then
            echo "install list: $path, used by the build, belongs to no Debian package"
        else
            echo "install list: $package is missing; the build uses $path from it." \
                "Add $package to the $kind=( list, line $line of scripts/install-packages.sh"
        fi
        echo "$package" >>"$scratch/reported"
        status=1
    done < <(sort -t $'\t' -k1,1 -u "$owners" \
        | join -t $'\t' -v 1 - "$scratch/$kind.reached" 2>/dev/null || true)
}
mapfile -t run_list < <(bash "$script" list run)
mapfile -t test_list < <(bash "$script" list test)
verdict build "$scratch/run.owners" "${run_list[@]}"
verdict test "$scratch/test.owners" "${test_list[@]}"
[ $status -ne 0 ] || echo "install list: covers the $(wc -l <"$scratch/test.files") files the build took from outside the tree"
exit $status
