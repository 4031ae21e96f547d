#!/usr/bin/env bash
# Makes the Debian package from a built tree (cpack) and checks it: the file list (programs,
# data, menu entry, icon, man pages, bash completion, udev rule, the real-time limits file as a
# conffile; nothing of the build tree) and
# the control fields (name, version, architecture, Depends computed from the programs' libraries).
# Usage: check-deb.sh BUILD_DIR   (prints the package's path and size)
set -euo pipefail
export LC_ALL=C
build=$(cd "${1:?usage: check-deb.sh BUILD_DIR}" && pwd)
out="$build/package"
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$out/korvane_${version}_amd64.deb"
[ -f "$deb" ] || { echo "no $deb; made: $(ls "$out")"; exit 1; }

failed=0
fail() { echo "package: $*"; failed=1; }
files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for file in ./usr/bin/kvshow ./usr/bin/kvctl ./usr/bin/kvfield ./usr/bin/kvlang \
    ./usr/share/korvane/demo-field.ini ./usr/share/korvane/kvshow.ini.in \
    ./usr/share/korvane/sample-scenario.txt ./usr/share/korvane/sample-soundtrack.ogg \
    ./usr/share/korvane/lang/en.lng \
    ./usr/share/applications/korvane.desktop ./usr/share/icons/hicolor/scalable/apps/korvane.svg \
    ./usr/share/man/man1/kvshow.1 ./usr/share/man/man1/kvctl.1 ./usr/share/man/man1/kvfield.1 \
    ./usr/share/man/man1/kvlang.1 \
    ./usr/share/bash-completion/completions/kvctl \
    ./usr/lib/udev/rules.d/60-korvane-converters.rules ./usr/share/doc/korvane/README.md \
    ./etc/security/limits.d/95-korvane-realtime.conf; do
    grep -qx -- "$file" <<<"$files" || fail "$file missing"
done
! grep -E 'logs/|\.log$|kvshow\.ini$|/test|_test$|bench' <<<"$files" ||
    fail "files of a build or a run in the package"
mode=$(dpkg-deb -c "$deb" | awk '$6 == "./usr/bin/kvctl" { print $1 }')
[ "$mode" = "-rwxr-xr-x" ] || fail "kvctl's mode is $mode"

# The operators (dialout) may ask for real-time priority and lock memory; the file is a
# conffile, so an administrator's change to it survives an upgrade.
limits=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./etc/security/limits.d/95-korvane-realtime.conf)
for line in '@dialout - rtprio 20' '@dialout - memlock unlimited'; do
    grep -qx -- "$line" <<<"$limits" || fail "limits file lacks: $line"
done
dpkg-deb -I "$deb" conffiles | grep -qx /etc/security/limits.d/95-korvane-realtime.conf ||
    fail "the limits file is not a conffile"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvane ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
for package in libqt6core6 libqt6widgets6 libqt6charts6 libavcodec59 libpulse0 libarchive13 libc6 \
    qt6-qpa-plugins fonts-dejavu-core; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
echo "package: $deb, $(du -k "$deb" | cut -f1) KiB; Depends: $depends"
exit $failed
