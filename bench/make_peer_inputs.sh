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
# 10 minutes of 8 kHz mono speech-like signal for the GSM 6.10 rows: the 3 s test signal of
# tests/data/gsm repeated, as a WAV file and as the raw samples toast reads.
speech="$(dirname "$0")/../tests/data/gsm/speech.s16"
if [ ! -f "$folder/speech10.wav" ]; then
    sox -t raw -r 8000 -e signed -b 16 -c 1 -L "$speech" "$folder/speech10.wav" repeat 199
    sox "$folder/speech10.wav" -t raw "$folder/speech10.s16"
fi
# 10 minutes of the music as a 128 kbit/s stereo MP3 for the MP3 decoding rows.
if [ ! -f "$folder/music10.mp3" ]; then
    lame --quiet -b 128 "$folder/music10.wav" "$folder/music10.mp3"
fi
# The same 10 minutes as FLAC (level 5) and Ogg Vorbis (quality 5) for the rows of those formats.
if [ ! -f "$folder/music10.flac" ]; then
    flac -s -5 -o "$folder/music10.flac" "$folder/music10.wav"
fi
if [ ! -f "$folder/music10.ogg" ]; then
    oggenc -Q -q 5 -o "$folder/music10.ogg" "$folder/music10.wav"
fi
echo "$folder"
