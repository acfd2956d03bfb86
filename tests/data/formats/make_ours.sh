#!/bin/sh
# Writes the WAV inputs of ../wav again through our AU, AIFF and headerless writers
# (ours_*, with the test program format_encode) and has sox decode each to raw 16-bit
# little-endian samples, so that the tests can check that sox hears what we hear.
# Usage: make_ours.sh BUILD_DIR
set -eu
encode=$(realpath "$1")/tests/formats/format_encode
cd "$(dirname "$0")"
SOX="sox -V1 -D"
S16="-t raw -e signed -b 16 -L"
for layout in mono stereo; do
    for format in au aiff; do
        "$encode" ../wav/in_$layout.wav ours_${format}_$layout.$format $format
        $SOX ours_${format}_$layout.$format $S16 ours_${format}_$layout.sox.s16
    done
done
for encoding in ulaw alaw s16le s16be u8 s8; do
    case $encoding in
        ulaw) options="-e u-law -b 8" ;;
        alaw) options="-e a-law -b 8" ;;
        s16le) options="-e signed -b 16 -L" ;;
        s16be) options="-e signed -b 16 -B" ;;
        u8) options="-e unsigned -b 8" ;;
        s8) options="-e signed -b 8" ;;
    esac
    out=ours_raw_${encoding}_mono
    "$encode" ../wav/in_mono.wav $out.raw $encoding
    $SOX -t raw -r 8000 -c 1 $options $out.raw $S16 $out.sox.s16
done
