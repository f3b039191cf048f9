#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles the help sources in this folder into instr.chm, the file the "Инструкция" button opens.
# Needs chmcmd and chmls (Debian package fp-utils) and iconv. The sources are kept in UTF-8 for
# editing; the help viewer of a Russian desktop reads the contents and index in Windows-1251, so
# everything is converted before compiling. The output is committed; run this after editing.
# Installs what it needs from Debian's packages when missing (root, or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../../scripts/install-missing.sh" fp-utils libc-bin
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

cp "$work/instr.chm" "$here/instr.chm"
echo "$here/instr.chm: $(stat -c %s "$here/instr.chm") bytes, ${#pages[@]} pages"
