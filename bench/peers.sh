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
gsm_row() {  # work, peer name, our command..., "--", peer command...
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
gsm_row "gsm encode" toast "$batch" convert "$speech.wav" "$work/ours.gsm" -- \
    toast -l -c "$speech.s16" ">" /dev/null
gsm_row "gsm encode" sox "$batch" convert "$speech.wav" "$work/ours.gsm" -- \
    sox "$speech.wav" "$work/sox.gsm"
gsm_row "gsm decode" untoast "$batch" convert "$work/in.gsm" "$work/ours.wav" -- \
    untoast -l -c "$work/in.gsm" ">" /dev/null
gsm_row "gsm decode" sox "$batch" convert "$work/in.gsm" "$work/ours.wav" -- \
    sox "$work/in.gsm" "$work/sox.wav"
