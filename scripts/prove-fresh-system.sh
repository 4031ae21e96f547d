#!/usr/bin/env bash
# Proves the README's two commands on a truly fresh Debian 12: a minbase system made with
# debootstrap, this repository's committed state cloned into it, the run command (its window must
# open on a virtual screen, then it is closed) and then the test command. Prints the packages,
# download size, disk use and time of each. For a release, or when the install list changes.
#
# With --package DEB it proves the Debian package instead: `apt install ./DEB` on the fresh
# system, then, as an ordinary user in dialout, a show on the demo field with kvctl (its log and
# firing report must be under the user's state folder) and the console's window.
#
# Needs root, debootstrap, git, Xvfb and xwininfo here, and Debian's mirror on the network.
# Usage: prove-fresh-system.sh [--package DEB] [FOLDER]   (the new system's folder, default
# /var/tmp/korvane-fresh; it must not exist; it is kept afterwards for a look inside)
set -euo pipefail
package=""
if [ "${1:-}" = --package ]; then
    package=$(realpath "$2")
    shift 2
fi
root=${1:-/var/tmp/korvane-fresh}
mirror=${KV_MIRROR:-http://deb.debian.org/debian}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
display=:${KV_FRESH_DISPLAY:-77}

[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap and chroot)"; exit 1; }
[ ! -e "$root" ] || { echo "$root exists: remove it or name another folder"; exit 1; }

mounted=()
xvfb=""
# Processes still running inside the system (the sound server, a console) hold its mounts.
stop_inside() {
    local process
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && kill "${process#/proc/}" 2>/dev/null
    done
    sleep 1
    return 0
}
cleanup() {
    stop_inside
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM
bind() {
    mkdir -p "$root$2"
    mount "${@:3}" --bind "$1" "$root$2"
    mounted+=("$root$2")
}
inside() {
    chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb "$@"
}
packages() { inside dpkg-query -W -f='${db:Status-Abbrev}\n' | grep -c '^ii'; }
# MB on disk outside the clone, its builds and the downloaded package files.
disk() { du -sxm --exclude="$root/root" --exclude="$root/var/cache/apt/archives" "$root" | cut -f1; }
downloaded() { du -sm "$root/var/cache/apt/archives" | cut -f1; }
seconds() { date +%s; }
figures() {
    echo "fresh system, $1: $(($(packages) - $2)) new packages, $(($(downloaded) - $3)) MB downloaded," \
        "$(($(disk) - $4)) MB more on disk, $5 s"
}

started=$(seconds)
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$root/etc/resolv.conf"
bind /proc /proc
bind /sys /sys
bind /dev /dev
bind /dev/pts /dev/pts
inside apt-get update -qq
echo "fresh system: Debian 12 minbase, $(packages) packages, $(disk) MB, made in $(($(seconds) - started)) s"

# The window, on a virtual screen of this machine.
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
until [ -S "/tmp/.X11-unix/X${display#:}" ]; do sleep 0.2; done
bind /tmp/.X11-unix /tmp/.X11-unix
read -r p0 d0 k0 < <(echo "$(packages) $(downloaded) $(disk)")
started=$(seconds)
if [ -n "$package" ]; then
    cp "$package" "$root/tmp/"
    inside env DEBIAN_FRONTEND=noninteractive bash -c "cd /tmp && apt install -y ./${package##*/}" \
        >"$root/root/package-install.log" 2>&1 </dev/null
    figures "apt install of ${package##*/} ($(du -k "$package" | cut -f1) KiB)" "$p0" "$d0" "$k0" \
        "$(($(seconds) - started))"
    inside useradd --create-home --groups dialout pyro
    as_operator() { inside su - pyro -c "$*"; }
    as_operator 'kvctl --version'
    started=$(seconds)
    show_status=0
    as_operator 'kvctl --port sim:/usr/share/korvane/demo-field.ini --yes show \
        /usr/share/korvane/sample-scenario.txt' >"$root/root/package-show.log" 2>&1 || show_status=$?
    tail -3 "$root/root/package-show.log"
    echo "fresh system: kvctl show on the demo field as pyro (groups: $(as_operator id -Gn))," \
        "exit status $show_status in $(($(seconds) - started)) s; its record:"
    ls -l "$root/home/pyro/.local/state/korvane/logs/"
    ls "$root/home/pyro/.local/state/korvane/logs/"*-show1*.csv >/dev/null || exit 1
    started=$(seconds)
    inside su - pyro -c "DISPLAY=$display kvshow" >"$root/root/package-console.log" 2>&1 &
else
    git clone --quiet "$source_dir" "$root/root/korvane"
    inside env DISPLAY="$display" bash -c 'cd /root/korvane && bash scripts/run-console.sh' \
        >"$root/root/run-console.log" 2>&1 &
fi
console=$!
# Qt also makes a 1x1 window with the program's name: wait for one of a real size.
window() {
    xwininfo -display "$display" -root -tree 2>/dev/null \
        | awk '/"Korvane"/ && match($0, /[0-9]+x[0-9]+\+/) {
                   split(substr($0, RSTART, RLENGTH - 1), size, "x")
                   if (size[1] >= 200 && size[2] >= 200) { print; exit } }'
}
until [ -n "$(window)" ]; do
    if ! kill -0 "$console" 2>/dev/null; then
        tail -30 "$root/root/run-console.log"
        echo "the run command ended without opening its window"
        exit 1
    fi
    sleep 2
done
run_time=$(($(seconds) - started))
echo "fresh system: the console's window is open:"
window
if [ -n "$package" ]; then
    echo "fresh system: the console from the package opened its window in $run_time s;" \
        "its settings: $(ls "$root/home/pyro/.config/korvane/")"
    exit $show_status
fi
figures "run command (install, build, window open)" "$p0" "$d0" "$k0" "$run_time"
stop_inside
wait "$console" 2>/dev/null || true
umount -l "$root/tmp/.X11-unix"
unset 'mounted[-1]'
kill "$xvfb"
xvfb=""

# The test command, whole; the network only for its install step, so that the test programs'
# virtual screens and sockets cannot meet this machine's.
read -r p0 d0 k0 < <(echo "$(packages) $(downloaded) $(disk)")
started=$(seconds)
inside bash /root/korvane/scripts/install-packages.sh test >/dev/null
install_time=$(($(seconds) - started))
figures "test command's install step, beyond the run command's" "$p0" "$d0" "$k0" "$install_time"
started=$(seconds)
status=0
unshare --net sh -c "ip link set lo up; chroot '$root' env -i HOME=/root \
    PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb bash -c 'cd /root/korvane && bash scripts/test.sh'" \
    >"$root/root/test.log" 2>&1 || status=$?
grep -E 'tests passed|tests failed|Done|fuzz_|^install list' "$root/root/test.log" | tail -12 || true
echo "fresh system: test command exit status $status in $(($(seconds) - started)) s" \
    "(after its install step; the whole log: $root/root/test.log)"
echo "fresh system: in all $(packages) packages, $(disk) MB on disk, $(downloaded) MB of package files"
exit $status
