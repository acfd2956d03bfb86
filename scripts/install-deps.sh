#!/bin/sh
# Installs every Debian package that building, testing, fuzzing and benchmarking Sonvara needs.
# Only missing packages are installed, so a second run is quick and changes nothing.
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config ccache
libgtest-dev libgmock-dev libbenchmark-dev
clang libclang-rt-14-dev clang-format
qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
libasound2-dev
libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
lame espeak-ng
xvfb xauth imagemagick fonts-dejavu-core xdotool openbox
desktop-file-utils xdg-utils shared-mime-info librsvg2-bin
sox libsox-fmt-all ffmpeg mpg123 libgsm-tools time
"

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done

if [ -z "$missing" ]; then
    echo "install-deps: every package is installed"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "install-deps: these packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi

echo "install-deps: installing$missing"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
# shellcheck disable=SC2086  # the list is meant to split into words
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
