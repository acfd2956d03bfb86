#!/bin/sh
# Runs the same work through sonvara-batch and through its peers (sox, FFmpeg, mpg123, flac,
# oggdec, lv2apply), ours and the peer alternating, and prints for each row the median wall time of five
# runs of each and the ratio ours / peer (below 1: we are faster), beside the goal. Then the peak memory of `convert`
# and `run` on 10 and 60 minutes of audio, which stays flat in the length. The inputs are 10 and 60
# minutes of 44.1 kHz stereo 16-bit music and 10 minutes of 8 kHz speech (make_peer_inputs.sh).
# Usage: bench/peers.sh [BUILD_DIR] (default build-bench, made by `make bench`). PEERS_RUNS sets
# the runs per side (5). On a busy machine the alternation keeps the two sides under the same load.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
batch="$(pwd)/$build/tools/sonvara-batch"
[ -x "$batch" ] || { echo "peers.sh: build $batch first (make bench)" >&2; exit 2; }
runs=${PEERS_RUNS:-5}
inputs=$(bench/make_peer_inputs.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The batch tool keeps its cut files and settings here, not in the user's folders.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
mkdir -p "$work/out"
music="$inputs/music10.wav"

# Prints "seconds peak_kib" for one run of the command (a shell command line).
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" sh -c "$1" >/dev/null 2>&1 </dev/null
    cat "$work/time"
}

median() { tr ' ' '\n' | grep . | sort -n | sed -n "$(((runs + 1) / 2))p"; }

# row WORK PEER GOAL OURS PEER_COMMAND: the two command lines run alternately.
row() {
    name=$1 peer=$2 goal=$3 ours_command=$4 peer_command=$5
    ours_times="" peer_times="" n=0
    while [ $n -lt "$runs" ]; do
        t=$(measure "$ours_command"); ours_times="$ours_times ${t%% *}"
        t=$(measure "$peer_command"); peer_times="$peer_times ${t%% *}"
        n=$((n + 1))
    done
    ours=$(echo "$ours_times" | median)
    theirs=$(echo "$peer_times" | median)
    printf "%-34s %-8s %8s %8s %7.2f %6s\n" "$name" "$peer" "$ours" "$theirs" \
        "$(echo "$ours / $theirs" | bc -l)" "$goal"
}

printf "%-34s %-8s %8s %8s %7s %6s\n" work peer ours_s peer_s ratio goal
row "WAV -> WAV convert" sox "<= 1.0" "$batch convert $music $work/out/c.wav" \
    "sox $music $work/sox.wav"
row "WAV -> WAV convert" ffmpeg "<= 1.0" "$batch convert $music $work/out/c.wav" \
    "ffmpeg -nostdin -v quiet -y -i $music $work/ff.wav"
ours_run="$batch run --jobs 1 --format same --out $work/out"
row "run --command 16:48000 (resample)" ffmpeg "<= 0.5" "$ours_run --command 16:48000 $music" \
    "ffmpeg -nostdin -v quiet -y -i $music -ar 48000 $work/ff.wav"
row "run --command 16:48000 (resample)" sox "<= 0.5" "$ours_run --command 16:48000 $music" \
    "sox $music $work/sox.wav rate 48000"
row "run --command 7:800,50 (echo)" ffmpeg "<= 0.5" "$ours_run --command 7:800,50 $music" \
    "ffmpeg -nostdin -v quiet -y -i $music -af aecho=0.8:0.9:800:0.5 $work/ff.wav"
row "run --command 7:800,50 (echo)" sox "<= 0.5" "$ours_run --command 7:800,50 $music" \
    "sox $music $work/sox.wav echo 0.8 0.9 800 0.5"
row "run --command 8:500,100 (reverb)" sox "<= 0.5" "$ours_run --command 8:500,100 $music" \
    "sox $music $work/sox.wav reverb"
row "run --command 4:100 (normalize)" sox "<= 1.0" "$ours_run --command 4:100 $music" \
    "sox $music $work/sox.wav gain -n"
row "MP3 decode 128 kbit/s" mpg123 "<= 1.0" \
    "$batch convert $inputs/music10.mp3 $work/out/m.wav" \
    "mpg123 -q -w $work/mpg123.wav $inputs/music10.mp3"
row "FLAC decode" flac "<= 1.2" "$batch convert $inputs/music10.flac $work/out/f.wav" \
    "flac -s -f -d -o $work/flac.wav $inputs/music10.flac"
row "FLAC encode, level 5" flac "<= 1.2" \
    "$batch convert --flac-level 5 $music $work/out/f.flac" "flac -s -f -5 -o $work/f.flac $music"
row "Ogg Vorbis decode" oggdec "<= 1.2" "$batch convert $inputs/music10.ogg $work/out/o.wav" \
    "oggdec -Q -o $work/oggdec.wav $inputs/music10.ogg"
row "loudness (EBU R 128, true peak)" ffmpeg "<= 1.0" \
    "$batch info --loudness-values $music" \
    "ffmpeg -nostdin -nostats -i $music -af ebur128=peak=true -f null -"
# lilv's own host runs a plug-in one frame at a time (over a minute for these ten minutes): one
# run of each side is enough to see the ratio.
all_runs=$runs
runs=1
row "LV2 plug-in (mda Delay)" lv2apply "<= 1.0" \
    "$ours_run --command lv2:http://drobilla.net/plugins/mda/Delay $music" \
    "lv2apply -i $music -o $work/lv2.wav http://drobilla.net/plugins/mda/Delay"
runs=$all_runs
row "GSM encode, 8 kHz speech" sox "<= 1.0" \
    "$batch convert $inputs/speech10.wav $work/out/s.gsm" \
    "sox $inputs/speech10.wav $work/sox.gsm"

# Peak memory (MiB) of the two ways through the tool, on 10 and 60 minutes: a run of stream
# filters holds blocks, not the file, and a run with normalize holds cut files on disk.
printf "\n%-34s %10s %10s\n" "peak memory (MiB)" 10min 60min
for command in "$batch convert IN $work/out/c.wav" "$ours_run --command 7:800,50 IN" \
    "$ours_run --command 16:48000 IN" "$ours_run --command 4:100 IN"; do
    peaks=""
    for minutes in 10 60; do
        t=$(measure "$(echo "$command" | sed "s|IN|$inputs/music$minutes.wav|")")
        peaks="$peaks $((${t#* } / 1024))"
    done
    printf "%-34s %10s %10s\n" "$(echo "${command#"$batch" }" | sed "s| --jobs 1 --format same --out [^ ]*||; s| IN.*||")" $peaks
done
