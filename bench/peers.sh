#!/bin/sh
# Runs the same conversions through sonvara-batch and through sox, alternating the two, and prints
# for each the median wall time of three runs, the time ratio (ours / sox) and each side's peak
# memory. Usage: bench/peers.sh [BUILD_DIR] (default build-bench, made by `make bench`).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
batch="$build/tools/sonvara-batch"
[ -x "$batch" ] || { echo "peers.sh: build $batch first (make bench)" >&2; exit 2; }
inputs=$(bench/make_peer_inputs.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The batch tool keeps its cut files and settings here, not in the user's folders.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"

# Prints "seconds peak_kib" for one run of the command.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 </dev/null
    cat "$work/time"
}

median() { sort -n | sed -n 2p; }

printf "%-14s %-10s %9s %9s %7s %10s %10s\n" work input ours_s sox_s ratio ours_MiB sox_MiB
for minutes in 10 60; do
    input="$inputs/music$minutes.wav"
    for target in wav aif au vox; do
        ours_times=""; sox_times=""; ours_mem=0; sox_mem=0
        for run in 1 2 3; do
            set -- $(measure "$batch" convert "$input" "$work/out.$target")
            ours_times="$ours_times $1"; [ "$2" -gt "$ours_mem" ] && ours_mem=$2
            if [ "$target" = vox ]; then
                set -- $(measure sox "$input" -r 8000 -c 1 "$work/sox.$target")
            else
                set -- $(measure sox "$input" "$work/sox.$target")
            fi
            sox_times="$sox_times $1"; [ "$2" -gt "$sox_mem" ] && sox_mem=$2
        done
        ours=$(echo $ours_times | tr ' ' '\n' | median)
        theirs=$(echo $sox_times | tr ' ' '\n' | median)
        printf "%-14s %-10s %9s %9s %7.2f %10d %10d\n" "wav->$target" "${minutes}min" "$ours" \
            "$theirs" "$(echo "$ours / $theirs" | bc -l)" $((ours_mem / 1024)) $((sox_mem / 1024))
    done
done

# GSM 6.10 on 10 minutes of 8 kHz speech: ours against toast/untoast and sox, each run
# alternating with ours; ratio = ours / peer.
printf "\n%-14s %-8s %9s %9s %7s\n" work peer ours_s peer_s ratio
speech="$inputs/speech10"
toast -l -c "$speech.s16" > "$work/in.gsm"
peer_row() {  # work, peer name, our command..., "--", peer command... (the MP3 rows use it too)
    name=$1 peer=$2; shift 2
    ours_cmd=""; while [ "$1" != "--" ]; do ours_cmd="$ours_cmd $1"; shift; done; shift
    peer_cmd="$*"
    ours_times=""; peer_times=""
    for run in 1 2 3; do
        set -- $(measure $ours_cmd); ours_times="$ours_times $1"
        set -- $(measure sh -c "$peer_cmd"); peer_times="$peer_times $1"
    done
    ours=$(echo $ours_times | tr ' ' '\n' | median)
    theirs=$(echo $peer_times | tr ' ' '\n' | median)
    printf "%-14s %-8s %9s %9s %7.2f\n" "$name" "$peer" "$ours" "$theirs" \
        "$(echo "$ours / $theirs" | bc -l)"
}
peer_row "gsm encode" toast "$batch" convert "$speech.wav" "$work/ours.gsm" -- \
    toast -l -c "$speech.s16" ">" /dev/null
peer_row "gsm encode" sox "$batch" convert "$speech.wav" "$work/ours.gsm" -- \
    sox "$speech.wav" "$work/sox.gsm"
peer_row "gsm decode" untoast "$batch" convert "$work/in.gsm" "$work/ours.wav" -- \
    untoast -l -c "$work/in.gsm" ">" /dev/null
peer_row "gsm decode" sox "$batch" convert "$work/in.gsm" "$work/ours.wav" -- \
    sox "$work/in.gsm" "$work/sox.wav"

# MP3 decoding: 10 minutes at 128 kbit/s stereo to a 16-bit WAV, ours against mpg123 and FFmpeg.
peer_row "mp3 decode" mpg123 "$batch" convert "$inputs/music10.mp3" "$work/ours.wav" -- \
    mpg123 -q -w "$work/mpg123.wav" "$inputs/music10.mp3"
peer_row "mp3 decode" ffmpeg "$batch" convert "$inputs/music10.mp3" "$work/ours.wav" -- \
    ffmpeg -v quiet -y -i "$inputs/music10.mp3" "$work/ffmpeg.wav"

# The batch converter against sox's nearest effects on the same music, one command (or a chain
# of three) per file, saved as 16-bit WAV beside each other; ratio = ours / sox. (The reverse has
# no batch command, so no row.)
printf "\n%-14s %-10s %9s %9s %7s %10s %10s\n" effect input ours_s sox_s ratio ours_MiB sox_MiB
mkdir -p "$work/out"
effect_row() {  # name, minutes, our --command options, "--", sox effect arguments...
    name=$1 minutes=$2; shift 2
    input="$inputs/music$minutes.wav"
    ours_args=""; while [ "$1" != "--" ]; do ours_args="$ours_args $1"; shift; done; shift
    sox_args="$*"
    ours_times=""; sox_times=""; ours_mem=0; sox_mem=0
    for run in 1 2 3; do
        set -- $(measure "$batch" run $ours_args --format same --out "$work/out" "$input")
        ours_times="$ours_times $1"; [ "$2" -gt "$ours_mem" ] && ours_mem=$2
        set -- $(measure sox "$input" "$work/sox.wav" $sox_args)
        sox_times="$sox_times $1"; [ "$2" -gt "$sox_mem" ] && sox_mem=$2
    done
    ours=$(echo $ours_times | tr ' ' '\n' | median)
    theirs=$(echo $sox_times | tr ' ' '\n' | median)
    printf "%-14s %-10s %9s %9s %7.2f %10d %10d\n" "$name" "${minutes}min" "$ours" "$theirs" \
        "$(echo "$ours / $theirs" | bc -l)" $((ours_mem / 1024)) $((sox_mem / 1024))
}
for minutes in 10 60; do
    effect_row normalize $minutes --command 4:100 -- gain -n
    effect_row echo $minutes --command 7:800,50 -- echo 0.8 0.9 800 0.5
    effect_row reverb $minutes --command 8:1000,100 -- reverb
    effect_row high-pass $minutes --command 5:250 -- highpass -1 500
    effect_row speed $minutes --command 12:150 -- speed 1.5
    effect_row chain-of-3 $minutes --command 5:250 --command 7:800,50 --command 4:95 -- \
        highpass -1 500 echo 0.8 0.9 800 0.5 gain -n -0.4
done
