#!/bin/sh
# Regenerates the golden WAV files in this folder with sox and ffmpeg, and each tool's decode of
# every coded file to raw 16-bit little-endian samples. Run from anywhere; needs sox and ffmpeg.
# sox runs with -R (repeatable random numbers) so the noise is the same on every run.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

SOX="sox -R -V1"
FFMPEG="ffmpeg -nostdin -hide_banner -loglevel error -y"
EXACT="-fflags +bitexact -flags:a +bitexact"  # output options: no version string in the files

# The inputs: 8000 Hz 16-bit, 2003 frames each (not a whole number of ADPCM blocks, so every
# ADPCM file ends in a padded block). Mono: a loud 440 Hz tone, a sweep to near the Nyquist
# frequency, loud noise, noise at nine falling levels and a tone so quiet that it is mostly 0 and
# ±1, so that most µ-law and A-law codes occur. Stereo: different content on the two channels.
$SOX -r 8000 -c 1 -n -b 16 "$tmp/m1.wav" synth 640s sine 440 gain -0.5
$SOX -r 8000 -c 1 -n -b 16 "$tmp/m2.wav" synth 480s sine 200-3800 gain -1
$SOX -r 8000 -c 1 -n -b 16 "$tmp/m3.wav" synth 320s whitenoise gain -0.1
for db in 6 12 18 24 30 36 42 48 54; do
    $SOX -r 8000 -c 1 -n -b 16 "$tmp/m4_$db.wav" synth 40s whitenoise gain -$db
done
$SOX -r 8000 -c 1 -n -b 16 "$tmp/m5.wav" synth 203s sine 100 gain -90
$SOX "$tmp/m1.wav" "$tmp/m2.wav" "$tmp/m3.wav" "$tmp"/m4_*.wav "$tmp/m5.wav" in_mono.wav
$SOX -r 8000 -c 2 -n -b 16 "$tmp/s1.wav" synth 1200s sine 440 square 1250 gain -3
$SOX -r 8000 -c 2 -n -b 16 "$tmp/s2.wav" synth 803s whitenoise sine 300-3000
$SOX "$tmp/s1.wav" "$tmp/s2.wav" in_stereo.wav

# G.711: every one of the 256 codes once, copied into WAV files unchanged, then the inputs coded.
i=0
while [ $i -lt 256 ]; do
    printf "\\$(printf %03o $i)"
    i=$((i + 1))
done > "$tmp/codes.raw"
$FFMPEG -f mulaw -ar 8000 -ac 1 -i "$tmp/codes.raw" $EXACT -c:a copy ulaw_codes_ffmpeg.wav
$FFMPEG -f alaw -ar 8000 -ac 1 -i "$tmp/codes.raw" $EXACT -c:a copy alaw_codes_ffmpeg.wav
$SOX in_mono.wav -e u-law ulaw_mono_sox.wav
$SOX in_mono.wav -e a-law alaw_mono_sox.wav
$SOX in_stereo.wav -e u-law ulaw_stereo_sox.wav
$FFMPEG -i in_mono.wav $EXACT -c:a pcm_mulaw ulaw_mono_ffmpeg.wav
$FFMPEG -i in_mono.wav $EXACT -c:a pcm_alaw alaw_mono_ffmpeg.wav
$FFMPEG -i in_stereo.wav $EXACT -c:a pcm_alaw alaw_stereo_ffmpeg.wav

# IMA ADPCM: sox uses 256-byte blocks per channel, ffmpeg is told 512 and 1024 bytes.
$SOX in_mono.wav -e ima-adpcm ima_mono_sox.wav
$SOX in_stereo.wav -e ima-adpcm ima_stereo_sox.wav
$FFMPEG -i in_mono.wav $EXACT -c:a adpcm_ima_wav -block_size 512 ima_mono_ffmpeg.wav
$FFMPEG -i in_stereo.wav $EXACT -c:a adpcm_ima_wav -block_size 1024 ima_stereo_ffmpeg.wav

# Microsoft ADPCM.
$SOX in_mono.wav -e ms-adpcm ms_mono_sox.wav
$SOX in_stereo.wav -e ms-adpcm ms_stereo_sox.wav
$FFMPEG -i in_mono.wav $EXACT -c:a adpcm_ms -block_size 512 ms_mono_ffmpeg.wav
$FFMPEG -i in_stereo.wav $EXACT -c:a adpcm_ms -block_size 1024 ms_stereo_ffmpeg.wav

# Plain PCM in other sample formats.
$SOX -D in_mono.wav -b 8 pcm8_mono_sox.wav
$SOX in_stereo.wav -b 24 pcm24_stereo_sox.wav
$SOX in_stereo.wav -t wavpcm -b 24 pcm24_stereo_plain_sox.wav
$FFMPEG -i in_stereo.wav $EXACT -c:a pcm_s24le pcm24_stereo_ffmpeg.wav
$SOX in_stereo.wav -b 32 pcm32_stereo_sox.wav
$SOX in_stereo.wav -t wavpcm -b 32 pcm32_stereo_plain_sox.wav
$SOX in_stereo.wav -e floating-point -b 32 float32_stereo_sox.wav
$FFMPEG -i in_stereo.wav $EXACT -c:a pcm_f32le float32_stereo_ffmpeg.wav

# ADPCM files whose data stops inside a block: the last block keeps its header, some whole
# groups or nibble pairs, and a few bytes that make no whole frame. The fact chunk is left out.
le32() {
    v=$1
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) \
        $((v >> 16 & 255)) $((v >> 24 & 255)))"
}
cut_data() {  # input, output, data bytes to keep (even)
    fmt_size=$(od -An -tu4 -j16 -N4 "$1" | tr -d ' ')
    data_at=$(grep -abo data "$1" | head -n 1 | cut -d: -f1)
    {
        printf RIFF
        le32 $((4 + 8 + fmt_size + 8 + $3))
        printf WAVE
        tail -c +13 "$1" | head -c $((8 + fmt_size))
        printf data
        le32 "$3"
        tail -c +$((data_at + 9)) "$1" | head -c "$3"
    } > "$2"
}
# IMA mono, 256-byte blocks: 3 blocks, then a header, 24 groups of 4 bytes and 2 stray bytes.
cut_data ima_mono_sox.wav ima_mono_sox_cut.wav $((3 * 256 + 4 + 24 * 4 + 2))
# IMA stereo, 512-byte blocks: 2 blocks, then the headers, 10 pairs of groups and one lone group.
cut_data ima_stereo_sox.wav ima_stereo_sox_cut.wav $((2 * 512 + 8 + 10 * 8 + 4))
# MS mono, 256-byte blocks: 3 blocks, then a header and 51 bytes (102 nibbles).
cut_data ms_mono_sox.wav ms_mono_sox_cut.wav $((3 * 256 + 7 + 51))
# MS stereo, 512-byte blocks: 2 blocks, then the headers and 40 bytes (40 frames).
cut_data ms_stereo_sox.wav ms_stereo_sox_cut.wav $((2 * 512 + 14 + 40))

# Each tool's decode of every file but the inputs. -D: no dither when sox narrows to 16 bits.
# ffmpeg reports the cut IMA blocks as invalid packets yet decodes them; fatal keeps it quiet.
for f in *_sox.wav *_ffmpeg.wav *_cut.wav; do
    base=${f%.wav}
    $SOX -D "$f" -t raw -e signed -b 16 -L "$base.sox.s16"
    $FFMPEG -loglevel fatal -i "$f" -f s16le "$base.ffmpeg.s16"
done
