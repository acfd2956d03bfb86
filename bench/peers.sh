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
