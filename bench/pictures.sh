#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a 12-MP PNG and a 12-MP HEIC made into a slot's JPEG against ImageMagick's
# `convert IN -quality 90 OUT.jpg` and `heif-convert -q 90`, side by side in one run, on CPU time
# (user + system, process start included on both sides):   bash bench/pictures.sh BUILD [REPS]
# Exit status 1 when a goal is missed.
set -euo pipefail
build=$1
reps=${2:-5}
bench="$build/bench/quirvel_bench"
export QT_QPA_PLATFORM=offscreen
for tool in convert heif-enc heif-convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done
pictures="$build/bench-pictures"
mkdir -p "$pictures"
if [ ! -f "$pictures/k12.png" ] || [ ! -f "$pictures/k12.heic" ]; then
    "$bench" make-picture 4000 3000 "$pictures/k12.ppm"
    convert "$pictures/k12.ppm" "$pictures/k12.png"
    heif-enc -q 90 "$pictures/k12.png" -o "$pictures/k12.heic" >/dev/null
    rm -f "$pictures/k12.ppm"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# CPU seconds of one run of the command.
cpu() {
    /usr/bin/time -f '%U %S' -o "$out/time" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    awk '{printf "%.3f\n", $1 + $2}' "$out/time"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

status=0
row() { # name goal peer... -- ours...
    local name=$1 goal=$2
    shift 2
    local peer=() ours=()
    while [ "$1" != "--" ]; do peer+=("$1"); shift; done
    shift
    ours=("$@")
    local p=() o=()
    for _ in $(seq "$reps"); do
        p+=("$(cpu "${peer[@]}")")
        o+=("$(cpu "${ours[@]}")")
    done
    local pm om
    pm=$(printf '%s\n' "${p[@]}" | median)
    om=$(printf '%s\n' "${o[@]}" | median)
    local ratio
    ratio=$(awk -v o="$om" -v p="$pm" 'BEGIN {printf "%.2f", o / p}')
    local verdict=ok
    awk -v r="$ratio" -v g="$goal" 'BEGIN {exit !(r <= g)}' || { verdict=MISSED; status=1; }
    printf '| %s | %s %.0f ms | %.0f ms | %s | ≤ %s %s |\n' "$name" "${peer[0]}" \
        "$(awk -v v="$pm" 'BEGIN {print v * 1000}')" "$(awk -v v="$om" 'BEGIN {print v * 1000}')" \
        "$ratio" "$goal" "$verdict"
}

echo "| 12 MP (4000 × 3000) into a slot's JPEG, CPU, median of $reps | reference | QUIRVEL | ratio | goal |"
echo "|---|---|---|---|---|"
row "PNG" 0.7 convert "$pictures/k12.png" -quality 90 "$out/im.jpg" -- \
    "$bench" convert "$pictures/k12.png" "$out/ours.jpg"
row "HEIC" 1.0 heif-convert -q 90 "$pictures/k12.heic" "$out/hc.jpg" -- \
    "$bench" convert "$pictures/k12.heic" "$out/ours.jpg"
exit "$status"
