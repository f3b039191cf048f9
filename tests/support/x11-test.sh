#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on a private X server (Xvfb, with openbox when installed) on Qt's xcb
# platform, for what the offscreen platform lacks, such as other programs' clipboard.
# Exits 77, which CTest counts as skipped, only when no X server starts.
set -u
command -v Xvfb >/dev/null || { echo "Xvfb is not installed"; exit 77; }
dir=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$dir"' EXIT
# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 300); do
    [ -s "$dir/display" ] || ! kill -0 "${pids[0]}" 2>/dev/null && break
    sleep 0.1
done
if [ ! -s "$dir/display" ]; then
    echo "Xvfb did not start:"; cat "$dir/xvfb.log"; exit 77
fi
export DISPLAY=":$(cat "$dir/display")" QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/x11-lsan.supp"
# Whole stacks, so that the suppressions can name the Qt function a leak comes from.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"
if command -v openbox >/dev/null; then
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    # A window mapped before the window manager runs may never be given the focus: wait for it
    # to announce itself (a loaded machine takes seconds).
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi
"$@"
