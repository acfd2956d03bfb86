#!/bin/sh
# Makes the inputs of bench/peers.sh: 10 and 60 minutes of 44.1 kHz stereo 16-bit WAV (music-like
# tones and a little noise), in the folder given (default /tmp/sonvara-peers).
set -eu
folder=${1:-/tmp/sonvara-peers}
mkdir -p "$folder"
for minutes in 10 60; do
    target="$folder/music$minutes.wav"
    [ -f "$target" ] && continue
    sox -R -n -r 44100 -c 2 -b 16 "$target" synth $((minutes * 60)) sine 220 sine 3150 \
        whitenoise gain -6
done
echo "$folder"
