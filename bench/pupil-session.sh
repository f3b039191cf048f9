#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bytes one pupil's session fetches in class, beside what the quiz folder's own page loads: the
# phone page with its script, style and quiz.json (goal: at most 30 KB), and the whole session with
# the six pictures (goal: at most 600 KB), for six photo-like pictures of phone cameras' sizes
# (made and encoded as bench/run.sh does).   bash bench/pupil-session.sh [build folder, default build-bench]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
for tool in cjpeg curl python3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done
(cd "$root" && cmake --preset bench >/dev/null && cmake --build "$build" --target quirvel makequiz quirvel_bench -j"$(nproc)" >/dev/null)
work=$(mktemp -d)
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/data"
cp "$build"/program/*.gif "$work/program/"
args=()
for size in "4000 3000" "3024 4032" "4032 3024" "4000 2250" "3000 3000" "4624 3472"; do
    set -- $size
    "$build/bench/quirvel_bench" make-picture "$1" "$2" "$work/source.ppm"
    cjpeg -quality 90 -outfile "$work/$1x$2.jpg" "$work/source.ppm"
    args+=(--picture "$work/$1x$2.jpg" --question "Что это?" --answer "Ответ $1x$2")
done
rm "$work/source.ppm"
quiz=$("$build/tests/makequiz" --program "$work/program" --folder session --title "Фотографии" "${args[@]}" |
    python3 -c 'import json,sys; print(json.load(sys.stdin)["quizFolder"])')
XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen "$build/program/quirvel" --classroom "$quiz" --port 0 \
    --address 127.0.0.1 >"$work/out" &
server=$!
until [ -s "$work/out" ]; do sleep 0.1; done
url=$(head -1 "$work/out")

fetched() { local sum=0 name; for name in "$@"; do sum=$((sum + $(curl -sf "$url$name" | wc -c))); done; echo "$sum"; }
page=$(fetched "" phone.js phone.css quiz.json)
session=$((page + $(fetched 1.jpg 2.jpg 3.jpg 4.jpg 5.jpg 6.jpg)))
folder_page=$(wc -c <"$quiz/start.htm")
folder_all=$(cat "$quiz"/* | wc -c)
status=0
verdict() { if [ "$1" -le "$2" ]; then echo met; else status=1; echo MISSED; fi; }
printf '%-44s %12s %14s   %s\n' "pupil session, six phone photos (bytes)" "phone page" "folder's page" "goal"
printf '%-44s %12s %14s   %s\n' "page, script, style, data (folder: start.htm)" "$page" "$folder_page" \
    "<= 30 KB: $(verdict "$page" 30720)"
printf '%-44s %12s %14s   %s\n' "whole session with the pictures" "$session" "$folder_all" \
    "<= 600 KB: $(verdict "$session" 614400)"
exit "$status"
