#!/usr/bin/env bash
# Installs the Debian 12 packages Korvane needs, only when some are missing.
# Usage: install-packages.sh run|test, or install-packages.sh list run|test to print the list.
set -euo pipefail

# Recommended packages are not installed: on a fresh machine they add hundreds of MB (speech
# recognition data among them). So everything needed is named here, recommended or not:
# qt6-qpa-plugins (the xcb platform plugin kvshow opens its window with, only recommended by
# Qt's libraries), the fonts the console draws Cyrillic with, Qt's own translations (its file
# dialogs and message box buttons in Russian), xauth, which xvfb-run needs, and Qt OpenGL's
# development files, which Qt Charts' CMake package needs; dpkg-dev, whose dpkg-shlibdeps
# computes the Debian package's Depends. scripts/check-install-list.sh,
# run by the test command, fails when a build uses a package this list does not reach.
build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev
       libqt6opengl6-dev qt6-qpa-plugins qt6-translations-l10n libavformat-dev libavcodec-dev
       libswresample-dev libpulse-dev libltc-dev libarchive-dev libcli11-dev fonts-dejavu-core pulseaudio-utils)
test=(dpkg-dev libgtest-dev libgmock-dev librapidcheck-dev libbenchmark-dev xvfb xauth ffmpeg sox socat clang libclang-rt-14-dev)

listing=""
if [ "${1:-}" = list ]; then
    listing=yes
    shift
fi
wanted=("${build[@]}")
# A desktop that runs PipeWire's PulseAudio server keeps it: a second server would fight it
# for the same socket. Elsewhere PulseAudio is the sound server.
pipewire=$(dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null || true)
[ "$pipewire" = "install ok installed" ] || wanted+=(pulseaudio)
[ "${1:-run}" = test ] && wanted+=("${test[@]}")
if [ -n "$listing" ]; then
    printf '%s\n' "${wanted[@]}"
    exit 0
fi

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
