#!/bin/sh
# Makes the MP3 golden files again (see ../README.md, "mp3/"). Needs sox, lame (3.100) and ffmpeg.
set -eu
cd "$(dirname "$0")"

# 1 s of input: a chord that glides in pitch, with clicks every 0.25 s so that the encoder
# switches to short blocks; the right channel is a different mix so that stereo is not mono.
sox -V1 -n -r 44100 -c 2 -b 16 input.wav synth 1 sine 220-880 sine 330-1320 \
    remix 1v0.4,2v0.3 2v0.4,1v0.2
sox -V1 -n -r 44100 -c 1 -b 16 clicks.wav synth 1 square 4 gain -12
sox -V1 -m input.wav clicks.wav -c 2 transient.wav 2>/dev/null || \
    sox -V1 -m input.wav "|sox clicks.wav -p channels 2" transient.wav

# -t: no Xing/LAME information frame, so that every frame holds audio.
lame --quiet -t -b 128 -m s transient.wav cbr128_stereo_44k.mp3
lame --quiet -t -b 96 -m j --resample 44.1 transient.wav cbr96_joint_44k.mp3
lame --quiet -t -b 64 -m m --resample 32 transient.wav cbr64_mono_32k.mp3
lame --quiet -t -V 4 transient.wav vbr_joint_44k.mp3
lame --quiet -t -b 48 -m j --resample 22.05 transient.wav cbr48_joint_22k.mp3
lame --quiet -t -b 16 -m m --resample 8 transient.wav cbr16_mono_8k.mp3
lame --quiet -t -b 128 -p --nores transient.wav crc_nores_stereo_44k.mp3
lame --quiet -t -b 160 -m s --resample 48 transient.wav cbr160_stereo_48k.mp3
lame --quiet -t -V 6 --resample 24 transient.wav vbr_joint_24k.mp3
lame --quiet -t -b 32 -m m --resample 16 transient.wav cbr32_mono_16k.mp3
lame --quiet -t -b 24 -m j --resample 11.025 transient.wav cbr24_joint_11k.mp3
lame --quiet -t -b 32 -m s --resample 12 transient.wav cbr32_stereo_12k.mp3
# An ID3v2 tag in front of the first frame.
lame --quiet -t -b 64 -m m --resample 32 --id3v2-only --tt "Sonvara test" --ta "Sonvara" \
    transient.wav id3v2_mono_32k.mp3
# The same frames inside a WAV file (format tag 0x55), as FFmpeg writes one.
ffmpeg -nostdin -hide_banner -loglevel error -y -i cbr128_stereo_44k.mp3 \
    -fflags +bitexact -flags:a +bitexact -c:a copy cbr128_stereo_44k.wav
rm -f input.wav clicks.wav transient.wav

# mpg123's decodes: 32-bit floats in this machine's byte order (little-endian), 1.0 = full
# scale, channels interleaved, every sample of every frame (no gapless trimming).
for f in *.mp3; do
    mpg123 -q --no-gapless -e f32 -s "$f" > "${f%.mp3}.mpg123.f32"
done
