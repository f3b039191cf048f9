#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: make-help.sh OUTPUT_FOLDER
# Compiles the help sources in this folder into OUTPUT_FOLDER/instr.chm, the file the "Инструкция"
# button opens; the build runs it. Needs chmcmd and chmls (Debian package fp-utils) and iconv;
# installs nothing. The sources are kept in UTF-8 for editing; the help viewer of a Russian desktop
# reads the contents and index in Windows-1251, so everything is converted before compiling.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -ne 1 ]; then
    echo "usage: make-help.sh OUTPUT_FOLDER" >&2
    exit 2
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pages=(index.htm window.htm make.htm generate.htm view.htm regenerate.htm reopen.htm export.htm classroom.htm messages.htm)
sources=(instr.hhp toc.hhc index.hhk style.css "${pages[@]}")

for f in "${sources[@]}"; do
    iconv -f UTF-8 -t CP1251 "$here/$f" |
        sed 's/charset=utf-8/charset=windows-1251/' >"$work/$f"
done

(cd "$work" && chmcmd --no-html-scan --verbosity 1 instr.hhp)

# Every page must have made it in, byte for byte.
listing=$(chmls --no-page --name-only list "$work/instr.chm" 2>/dev/null)
for f in "${pages[@]}" style.css toc.hhc index.hhk; do
    if ! grep -qx "/$f" <<<"$listing"; then
        echo "make-help.sh: $f is missing from instr.chm" >&2
        exit 1
    fi
done
for f in "${pages[@]}"; do
    chmls extract "$work/instr.chm" "/$f" "$work/check.htm" >/dev/null 2>&1
    cmp -s "$work/$f" "$work/check.htm" || { echo "make-help.sh: $f differs inside instr.chm" >&2; exit 1; }
done

# Replaced whole, so that an interrupted build never leaves half a help file behind.
cp "$work/instr.chm" "$out/.instr.chm.tmp"
mv -f "$out/.instr.chm.tmp" "$out/instr.chm"
echo "$out/instr.chm: $(stat -c %s "$out/instr.chm") bytes, ${#pages[@]} pages"
