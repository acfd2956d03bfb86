#!/bin/sh
# Installs the Debian packages that building, testing, fuzzing and benchmarking Sonvara need.
# Only missing packages are installed, so a second run is quick and changes nothing.
#
#   install-deps.sh [GROUP...]   groups: test, fuzz, bench, format; none given: all of them
#
# `make test` (and the sanitizer builds, which use GCC's own runtimes) installs the test group
# alone: clang, its runtimes and clang-format (about 45 MB to fetch and 270 MB installed, of
# 410 MB and 1.7 GB in all) serve only the fuzz build and the formatting check.
set -eu

# Building and every test: the compilers, Qt, the libraries, the programs the tests run or compare
# with (among them LV2 plug-ins of three collections and lilv's own host), and the display the GUI tests run on (with the window manager, keys and screenshots that
# trying the editor on a virtual screen takes). mold is the faster linker the build uses when present.
TEST_PACKAGES="
build-essential cmake ninja-build pkg-config ccache mold
libgtest-dev libgmock-dev
qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6svg6 libgl-dev
libasound2-dev
libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsndfile1-dev libtag1-dev
libebur128-dev liblilv-dev
lame espeak-ng
xvfb xauth fonts-dejavu-core imagemagick xdotool openbox
desktop-file-utils xdg-utils shared-mime-info librsvg2-bin
sox libsox-fmt-all ffmpeg mpg123 libgsm-tools time flac vorbis-tools opus-tools
lilv-utils swh-lv2 mda-lv2 x42-plugins
"
# The libFuzzer programs, built by clang.
FUZZ_PACKAGES="clang libclang-rt-14-dev"
# The micro-benchmarks (bench/peers.sh compares with programs of the test group).
BENCH_PACKAGES="libbenchmark-dev"
# `make format` and `make format-check`.
FORMAT_PACKAGES="clang-format"

if [ $# -eq 0 ]; then
    set -- test fuzz bench format
fi
PACKAGES=""
for group in "$@"; do
    case "$group" in
        test) PACKAGES="$PACKAGES $TEST_PACKAGES" ;;
        fuzz) PACKAGES="$PACKAGES $FUZZ_PACKAGES" ;;
        bench) PACKAGES="$PACKAGES $BENCH_PACKAGES" ;;
        format) PACKAGES="$PACKAGES $FORMAT_PACKAGES" ;;
        *) echo "install-deps: unknown group $group (test, fuzz, bench, format)" >&2; exit 2 ;;
    esac
done

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
