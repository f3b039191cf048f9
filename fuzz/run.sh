#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes for a set time:  bash fuzz/run.sh [seconds, default 600] [jobs, default 1] [target]
# target: decode (default; the JPEG decoder and its Exif reader) or quizpage (the quiz page reader).
# Builds build-fuzz with clang (installs clang and its libFuzzer runtime if missing), seeds the
# working corpus with the hostile corpus and the sample pictures (the test pages for quizpage), and
# keeps what it learns in build-fuzz/corpus (corpus-quizpage) so the next run goes on from there.
# Crash inputs land in build-fuzz/crashes; a crash makes the script fail. Add each crash input to
# tests/hostile/corpus (or a reader test row) with a test row.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
jobs=${2:-1}
target=${3:-decode}
case "$target" in
    decode | quizpage) ;;
    *) echo "unknown target $target: decode or quizpage" >&2; exit 2 ;;
esac
build="$root/build-fuzz"

if ! command -v clang++ >/dev/null 2>&1 || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        clang libclang-rt-14-dev
fi

# One deb-src line for every enabled deb entry of the machine's own apt sources, in either format:
# the same archive, suites and components, so the source comes from wherever packages come from.
source_entries() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -n -E 's/^[[:space:]]*deb([[:space:]]+)/deb-src\1/p' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "" && suites != "") {
                    opts = (signed ~ /^\// ? "[signed-by=" signed "] " : "")
                    n = split(uris, u, " "); m = split(suites, s, " ")
                    for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
                        print "deb-src " opts u[i] " " s[j] " " components
                }
                types = uris = suites = components = signed = enabled = ""
            }
            /^#/ { next }
            /^[[:space:]]*$/ { flush(); next }
            /^[[:space:]]/ { next }   # continuation lines (an inline key) carry nothing we need
            {
                key = tolower($1); sub(/:$/, "", key)
                value = $0; sub(/^[^:]*:[[:space:]]*/, "", value); gsub(/[[:space:]]+/, " ", value)
                if (key == "types") types = value
                else if (key == "uris") uris = value
                else if (key == "suites") suites = value
                else if (key == "components") components = value
                else if (key == "signed-by") signed = value
                else if (key == "enabled") enabled = tolower(value)
            }
            END { flush() }' "$f"
    done
}

# The system's libjpeg is not instrumented, so the fuzzer would see only our few lines. Debian's
# source package of the same library version is built with coverage and sanitizers instead (once;
# delete build-fuzz/libjpeg to redo it). Without it the system library is used, blindly.
ljt="$build/libjpeg"
if [ ! -f "$ljt/install/lib/libjpeg.a" ] && [ -z "${QUIRVEL_FUZZ_SYSTEM_LIBJPEG:-}" ]; then
    rm -rf "$ljt" && mkdir -p "$ljt/lists/partial"
    source_entries >"$ljt/sources.list"
    apt=(-o Dir::Etc::SourceList="$ljt/sources.list" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$ljt/lists")
    if [ ! -s "$ljt/sources.list" ]; then
        echo "No deb entry in the machine's apt sources to take a deb-src entry from: fuzzing the system library." >&2
    elif (cd "$ljt" && apt-get "${apt[@]}" update -qq && apt-get "${apt[@]}" source -qq libjpeg-turbo) \
        >"$ljt/fetch.log" 2>&1; then
        flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
        cmake -S "$(find "$ljt" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)" \
            -B "$ljt/build" -DCMAKE_C_COMPILER=clang -DCMAKE_C_FLAGS="$flags" \
            -DCMAKE_BUILD_TYPE=None -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
            -DCMAKE_INSTALL_PREFIX="$ljt/install" -DCMAKE_INSTALL_LIBDIR="$ljt/install/lib" >"$ljt/build.log" 2>&1
        cmake --build "$ljt/build" -j"$jobs" --target install >>"$ljt/build.log" 2>&1
    else
        echo "No source package of libjpeg-turbo ($ljt/fetch.log): fuzzing the system library." >&2
    fi
fi
jpeg_prefix=()
[ -f "$ljt/install/lib/libjpeg.a" ] && jpeg_prefix=(-DQUIRVEL_FUZZ_LIBJPEG="$ljt/install")

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ "${jpeg_prefix[@]}" >/dev/null
cmake --build "$build" -j"$jobs" --target "fuzz_$target"

corpus="$build/corpus"
options=(-dict="$root/fuzz/jpeg.dict")
seeds=("$root/tests/hostile/corpus")
[ -d "$root/samples" ] && seeds+=("$root/samples")
[ -d "$root/tests/data" ] && seeds+=("$root/tests/data")
if [ "$target" = quizpage ]; then
    corpus="$build/corpus-quizpage"
    options=()
    seeds=("$root/tests/data")
fi
mkdir -p "$corpus" "$build/crashes"

# Inputs over 1 MB only slow the search down; the JPEG dictionary steers it to real markers.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
cd "$build"
status=0
"$build/fuzz_$target" "$corpus" "${seeds[@]}" \
    "${options[@]}" -max_len=1048576 -rss_limit_mb=2048 -timeout=10 \
    -max_total_time="$seconds" "${parallel[@]}" \
    -artifact_prefix="$build/crashes/" -print_final_stats=1 >"$build/last-run.log" 2>&1 || status=$?
grep -E '^#[0-9]+' "$build/last-run.log" | tail -n 1
grep -E '^stat::|^Done|SUMMARY' "$build/last-run.log" || true
echo "Log: $build/last-run.log"
if ls "$build/crashes/"* >/dev/null 2>&1; then
    echo "Crash inputs in $build/crashes:" >&2
    ls -la "$build/crashes" >&2
    exit 1
fi
exit "$status"
