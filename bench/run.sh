#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks QUIRVEL's picture paths against djpeg and cp:   bash bench/run.sh [repetitions, default 7]
# Builds build-bench (optimised), makes its own baseline and progressive pictures of about 2, 12 and
# 24 megapixels in build-bench/bench-pictures (once), and prints the table with peak memory.
# Exit status 1 when a goal is missed. Run it on an otherwise idle machine: the ratios compare
# wall times taken in the same run, so background load skews them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
reps=${1:-7}

for tool in cjpeg djpeg cp; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (libjpeg-turbo-progs)" >&2; exit 2; }
done
(cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench -j"$(nproc)" >/dev/null)
bench="$build/bench/quirvel_bench"

pictures="$build/bench-pictures"
mkdir -p "$pictures"
for size in "2 1728 1152" "12 4240 2832" "24 6000 4000"; do
    set -- $size
    if [ ! -f "$pictures/b$1.jpg" ] || [ ! -f "$pictures/p$1.jpg" ]; then
        "$bench" make-picture "$2" "$3" "$pictures/source.ppm"
        cjpeg -quality 90 -outfile "$pictures/b$1.jpg" "$pictures/source.ppm"
        cjpeg -quality 90 -progressive -outfile "$pictures/p$1.jpg" "$pictures/source.ppm"
        rm -f "$pictures/source.ppm"
    fi
done

echo "QUIRVEL benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GB; $(. /etc/os-release; echo "$PRETTY_NAME"); libjpeg-turbo $(dpkg-query -W -f='${Version}' libjpeg62-turbo 2>/dev/null || echo '?')"
echo "Pictures: $(cd "$pictures" && ls -l b*.jpg p*.jpg | awk '{printf "%s %.1f MB  ", $9, $5/1e6}')"
echo
# A data folder of its own, so no run meets another's drafts.
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
status=0
XDG_DATA_HOME=$data QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" run "$pictures" "$root/resources/decor" "$root/tests/hostile/corpus" "$reps" || status=$?
echo
bash "$root/bench/classroom.sh" "$build" || status=1
echo
bash "$root/bench/pupil-session.sh" "$build" || status=1
bash "$root/bench/pictures.sh" "$build" "$reps" || status=1
exit "$status"
