#!/bin/sh
# Makes the GSM 6.10 golden files again (see ../README.md, "gsm/"). Needs python3, toast and
# untoast (libgsm-tools), sox, ffmpeg, and a build of the test program gsm_encode.
# Usage: make.sh BUILD_DIR
set -eu
encode=$(realpath "$1")/tests/formats/gsm_encode
cd "$(dirname "$0")"
RAW="-t raw -r 8000 -e signed -b 16 -c 1 -L"
S16="-t raw -e signed -b 16 -L"

python3 make_signals.py

# toast's frames and untoast's decodes: the standard's encoder and decoder.
for name in speech edge; do
    toast -l -c $name.s16 > ${name}_toast.gsm
    untoast -l -c ${name}_toast.gsm > ${name}_toast.untoast.s16
done
untoast -l -c damaged.gsm > damaged.untoast.s16

# GSM 6.10 WAV files from sox and FFmpeg, each decoded by its maker.
sox -V1 $RAW speech.s16 -e gsm-full-rate speech_sox_gsm.wav
sox -V1 -D speech_sox_gsm.wav $S16 speech_sox_gsm.sox.s16
ffmpeg -v error -y -f s16le -ar 8000 -ac 1 -i speech.s16 -c:a libgsm_ms -fflags +bitexact \
    -map_metadata -1 speech_ffmpeg_gsm.wav
ffmpeg -v error -y -i speech_ffmpeg_gsm.wav -f s16le speech_ffmpeg_gsm.ffmpeg.s16

# Ours: a ".gsm" file that untoast decodes, and a GSM WAV file that sox and FFmpeg decode.
"$encode" speech.s16 speech_ours.gsm
untoast -l -c speech_ours.gsm > speech_ours.untoast.s16
"$encode" speech.s16 speech_ours_gsm.wav
sox -V1 -D speech_ours_gsm.wav $S16 speech_ours_gsm.sox.s16
ffmpeg -v error -y -i speech_ours_gsm.wav -f s16le speech_ours_gsm.ffmpeg.s16
