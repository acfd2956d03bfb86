#!/bin/sh
# Writes the inputs in every format Sonvara encodes (ours_*.wav, with the test program
# wav_encode) and has sox and ffmpeg decode each to raw 16-bit little-endian samples, so that
# the tests can check that the peers hear what we hear. Usage: make_ours.sh BUILD_DIR
set -eu
encode=$(realpath "$1")/tests/audio/wav_encode
cd "$(dirname "$0")"
FFMPEG="ffmpeg -nostdin -hide_banner -loglevel error -y -bitexact"
for input in mono stereo; do
    for format in ulaw alaw ima ms float32 pcm24 pcm32; do
        out=ours_${format}_$input
        "$encode" in_$input.wav $out.wav $format
        sox -D $out.wav -t raw -e signed -b 16 -L $out.sox.s16
        $FFMPEG -i $out.wav -f s16le $out.ffmpeg.s16
    done
done
