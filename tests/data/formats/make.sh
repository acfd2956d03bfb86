#!/bin/sh
# Regenerates the golden AU, AIFF, VOX and headerless files in this folder with sox, and sox's
# decode of each to raw 16-bit little-endian samples (<name>.sox.s16). The inputs are the WAV
# inputs of ../wav (8000 Hz, 2003 frames). Run from anywhere; needs sox. -D: no dither when sox
# narrows to 8 bits or G.711, so the files are the same on every run.
set -eu
cd "$(dirname "$0")"
SOX="sox -R -V1 -D"
MONO=../wav/in_mono.wav
STEREO=../wav/in_stereo.wav

# Sun AU. sox puts its comment in the annotation between the 24-byte header and the data: the
# default "Processed by SoX" makes a data offset of 44, "Sonvara" one of 32 (8 bytes).
$SOX $MONO --comment Sonvara -e signed -b 16 au_pcm16_mono_sox.au
$SOX $STEREO -e signed -b 16 au_pcm16_stereo_sox.au
$SOX $MONO -e u-law au_ulaw_mono_sox.au
$SOX $MONO -e a-law au_alaw_mono_sox.au
$SOX $STEREO -e signed -b 8 au_pcm8_stereo_sox.au

# AIFF, without sox's comment chunk (it carries the time of writing).
for layout in mono stereo; do
    in=../wav/in_$layout.wav
    $SOX $in --comment "" -b 16 aiff_pcm16_${layout}_sox.aiff
    $SOX $in --comment "" -b 8 aiff_pcm8_${layout}_sox.aiff
done

# VOX (OKI ADPCM at 8000 Hz, no header).
$SOX $MONO -t vox vox_mono_sox.vox

# Headerless files in each encoding of the raw-format dialog but Dialogic ADPCM (the VOX file).
raw_options() {  # the sox options of one of our encoding names
    case $1 in
        ulaw) echo "-e u-law -b 8" ;;
        alaw) echo "-e a-law -b 8" ;;
        s16le) echo "-e signed -b 16 -L" ;;
        s16be) echo "-e signed -b 16 -B" ;;
        u8) echo "-e unsigned -b 8" ;;
        s8) echo "-e signed -b 8" ;;
    esac
}
for encoding in ulaw alaw s16le s16be u8 s8; do
    for layout in mono stereo; do
        $SOX ../wav/in_$layout.wav -t raw $(raw_options $encoding) raw_${encoding}_${layout}_sox.raw
    done
done

# Every byte value once, as a headerless µ-law file and as an A-law file: sox's expansion of each
# code.
i=0
while [ $i -lt 256 ]; do
    printf "\\$(printf %03o $i)"
    i=$((i + 1))
done > raw_ulaw_codes.raw
cp raw_ulaw_codes.raw raw_alaw_codes.raw

# sox's decodes. Headerless files need their rate, channels and encoding told.
S16="-t raw -e signed -b 16 -L"
for f in *_sox.au *_sox.aiff; do
    $SOX "$f" $S16 "${f%.*}.sox.s16"
done
$SOX -t vox -r 8000 -c 1 vox_mono_sox.vox $S16 vox_mono_sox.sox.s16
for f in raw_*_sox.raw raw_*_codes.raw; do
    encoding=$(echo "$f" | cut -d_ -f2)
    channels=1
    case $f in *_stereo_*) channels=2 ;; esac
    $SOX -t raw -r 8000 -c $channels $(raw_options $encoding) "$f" $S16 "${f%.raw}.sox.s16"
done
