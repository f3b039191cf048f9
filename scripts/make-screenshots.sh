#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Refreshes the pictures in docs/:
#   docs/quiz-page.png    a quiz generated from samples/ by the program's own code, four answers
#                         set right and two wrong, checked, in headless chromium
#   docs/phone-page.png, docs/phone-page-checked.png
#                         the same pictures served by `quirvel --classroom`, on the pupils' phone
#                         page at 390x844, before and after a check with four answers right
#   docs/main-window.png  QUIRVEL under Xvfb with the same quiz composed through its own window
#                         (clicks and typing by xdotool, as a person would)
# Installs what is missing and builds first. QUIRVEL_BUILD_DIR picks a build folder (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUIRVEL_BUILD_DIR:-$root/build}
docs="$root/docs"

# The window is driven at the pixel positions of its fixed layout (client-area coordinates).
compose_main_window() {
    local out=$1 wm="" app data win X Y WIDTH HEIGHT left right top bottom
    # Russian letters in the keymap, so xdotool types them without remapping keys on the fly.
    setxkbmap -layout us,ru
    cd "$root/samples"
    # A data folder of its own: the killed window's draft is never offered to a later run.
    data=$(mktemp -d)
    XDG_DATA_HOME=$data "$build/program/quirvel" >/dev/null 2>&1 &
    app=$!
    trap 'kill "$app" $wm 2>/dev/null || true; rm -rf "$data"' RETURN
    win=$(timeout 30 xdotool search --sync --onlyvisible --name "QUIRVEL 1.1" | head -1)
    sleep 1
    geometry() {
        # xwininfo gives the client area's place on the screen, inside a manager's frame too.
        local info
        info=$(xwininfo -id "$win")
        X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
        Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
        WIDTH=$(sed -n 's/.*Width: *//p' <<<"$info")
        HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
    }
    geometry

    at() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
    type_text() { xdotool type --delay 40 "$1"; sleep 0.2; }
    # Thumbnail centres of slots 1..6, and the file list rows (13 pixels high, sorted by name).
    local thumbs=(0 "328 160" "488 160" "328 256" "488 256" "328 352" "488 352")
    local -A row=([car]=0 [fish]=1 [flower]=2 [house]=3 [sun]=4 [tree]=5)
    local slots=(
        "sun|Что светит днём?|Солнце"
        "house|Где живут люди?|Дом с красной крышей"
        "tree|Что растёт в лесу?|Дерево"
        "fish|Кто плавает?|Рыба"
        "car|На чём ездят?|Машина"
        "flower|Что пахнет?|Цветок"
    )
    local k file question answer
    for k in 1 2 3 4 5 6; do
        IFS='|' read -r file question answer <<<"${slots[k - 1]}"
        at ${thumbs[k]}
        at 80 $((95 + 13 * ${row[$file]}))
        at 412 444
        type_text "$question"
        at 668 548
        type_text "$answer"
    done
    # The title last, so slot 6 stays current with its texts in the fields.
    at 444 100
    type_text "Что на картинке?"

    # Only now a window manager, for the title bar with the caption: with one running while
    # xdotool clicks and types, clicks and keystrokes get lost now and then.
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 2
    geometry
    IFS=', ' read -r left right top bottom < <(xprop -id "$win" _NET_FRAME_EXTENTS |
        sed -n 's/.*= *//p') || true
    left=${left:-0} right=${right:-0} top=${top:-0} bottom=${bottom:-0}
    import -window root -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
        +repage "$out"
}

if [ "${1:-}" = "--compose-under-x" ]; then
    compose_main_window "$2"
    exit 0
fi

bash "$root/scripts/install-deps.sh"
[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset default -B "$build" >/dev/null)
cmake --build "$build" -j"$(nproc)" --target quirvel makequiz quirvel_program_files >/dev/null
mkdir -p "$docs"

QUIRVEL_MAKEQUIZ="$build/tests/makequiz" QUIRVEL_PROGRAM_DIR="$build/program" \
    node "$root/tests/browser/shoot-quiz-page.mjs" "$docs/quiz-page.png"
QUIRVEL_MAKEQUIZ="$build/tests/makequiz" QUIRVEL_PROGRAM_DIR="$build/program" \
    node "$root/tests/browser/shoot-phone-page.mjs" "$docs/phone-page.png" "$docs/phone-page-checked.png"

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --compose-under-x "$docs/main-window.png"
echo "wrote $docs/main-window.png"
