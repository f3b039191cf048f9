#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The classroom server against nginx serving the same files from a folder, both measured in this
# run with wrk (40 connections, 10 s): the pupil's page and a picture. Goals: at least 0.5x nginx's
# requests per second and at most 2x its 99th-percentile latency. Then 40 pupils posting results
# as fast as the (raised) limits allow, none lost, and the memory after 10,000 requests against
# after 100.   bash bench/classroom.sh [build folder, default build-bench]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
for tool in wrk nginx curl python3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done
(cd "$root" && cmake --preset bench >/dev/null && cmake --build "$build" --target quirvel makequiz -j"$(nproc)" >/dev/null)
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/data" "$work/www"
cp "$build"/program/*.gif "$work/program/"
args=()
for f in car fish flower house sun tree; do args+=(--picture "$root/samples/$f.jpg" --question "?" --answer "$f"); done
quiz=$("$build/tests/makequiz" --program "$work/program" --folder bench --title Bench --order 3,1,2,6,4,5 "${args[@]}" |
    python3 -c 'import json,sys; print(json.load(sys.stdin)["quizFolder"])')

XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen "$build/program/quirvel" --classroom "$quiz" --port 0 \
    --address 127.0.0.1 --pupil-rate 1000000 --address-rate 1000000 >"$work/out" &
pids+=($!)
server=$!
until [ -s "$work/out" ]; do sleep 0.1; done
url=$(head -1 "$work/out")
curl -sf -o "$work/www/index.htm" "$url"
curl -sf -o "$work/www/1.jpg" "${url}1.jpg"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<CONF
worker_processes auto;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 1024; }
http {
    access_log off;
    client_body_temp_path $work/tmp; proxy_temp_path $work/tmp; fastcgi_temp_path $work/tmp;
    uwsgi_temp_path $work/tmp; scgi_temp_path $work/tmp;
    types { text/html htm; image/jpeg jpg; }
    server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" -g 'daemon off;' &
pids+=($!)
sleep 0.5

# "rps p99_ms" of one wrk run.
measure() {
    wrk -c40 -t2 -d10s --latency "$1" | awk '
        /Requests\/sec/ { rps = $2 }
        $1 == "99%" { v = $2; if (v ~ /us$/) ms = v / 1000; else if (v ~ /ms$/) ms = v + 0; else ms = v * 1000 }
        END { printf "%.0f %.2f", rps, ms }'
}
status=0
printf '%-16s %10s %10s %10s %10s   %s\n' "classroom" "rps" "nginx rps" "p99 ms" "nginx p99" "goals: rps >= 0.5x, p99 <= 2x"
# The pupil's page is the lesson's own address; nginx has it as index.htm.
for name in index.htm 1.jpg; do
    read -r rps p99 <<<"$(measure "$url${name#index.htm}")"
    read -r nrps np99 <<<"$(measure "http://127.0.0.1:$port/$name")"
    verdict=$(python3 -c "print('met' if $rps >= 0.5 * $nrps and $p99 <= 2 * max($np99, 0.01) else 'MISSED')")
    [ "$verdict" = met ] || status=1
    printf '%-16s %10s %10s %10s %10s   %s\n' "$name" "$rps" "$nrps" "$p99" "$np99" "$verdict"
done

# Results: every connection a pupil of its own, each result on the disk before its answer.
cat >"$work/post.lua" <<'LUA'
local n = 0
setup = function(thread) n = n + 1; thread:set("id", string.format("%032x", n)) end
init = function() wrk.method = "POST"; wrk.headers["Content-Type"] = "application/json"
    wrk.body = '{"id":"' .. id .. '","name":"Bench","right":6,"answers":["3","1","2","6","4","5"]}' end
LUA
before=$(cat "$work"/data/quirvel/classroom/*.jsonl 2>/dev/null | wc -l)
posted=$(wrk -c40 -t4 -d10s -s "$work/post.lua" "${url}result" | awk '/requests in/ { print $1 }')
sleep 0.5
kept=$(($(cat "$work"/data/quirvel/classroom/*.jsonl | wc -l) - before))
printf 'results posted   %10s  kept %s   goal: none lost: %s\n' "$posted" "$kept" \
    "$([ "$kept" -ge "$posted" ] && echo met || { status=1; echo MISSED; })"

# Memory: the server's resident size after 100 requests and after 10,000 more.
rss() { awk '/VmRSS/ { print $2 }' "/proc/$server/status"; }
get() { python3 - "$url" "$1" <<'PY'
import http.client, sys, urllib.parse
u = urllib.parse.urlsplit(sys.argv[1]); c = http.client.HTTPConnection(u.hostname, u.port)
for i in range(int(sys.argv[2])):
    c.request("GET", u.path + ("1.jpg" if i % 2 else "")); c.getresponse().read()
PY
}
get 100; after100=$(rss)
get 10000; after10k=$(rss)
printf 'memory after 100 requests %s KiB, after 10,000 %s KiB   goal: flat (< +10%%): %s\n' "$after100" "$after10k" \
    "$([ "$after10k" -le $((after100 * 11 / 10)) ] && echo met || { status=1; echo MISSED; })"
exit "$status"
