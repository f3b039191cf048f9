#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing QUIRVEL needs and is not there yet.
# Debian 12; run as root or with sudo. Only Debian's packages and the npm registry are used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    g++ cmake make pkg-config ccache
    qt6-base-dev qt6-qpa-plugins libjpeg62-turbo-dev libarchive-dev
    libxml2-utils poppler-utils unzip
    fonts-dejavu-core fonts-liberation fonts-symbola
    xvfb xauth
    libjpeg-turbo-progs
    strace      # the crash-order test reads the system calls of a generation
    chromium
    xdotool imagemagick openbox x11-utils xclip
    fp-utils    # chmcmd, for resources/help/make-help.sh
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev    # the classroom server and its QR code
    libicu-dev          # look-alike pupil names (the ICU that Qt links too)
    zbar-tools          # zbarimg reads the QR code back in the tests
    wrk nginx           # bench/: the classroom server against nginx
    # the window read through the accessibility bus; dbus-run-session for a private session bus
    python3-pyatspi at-spi2-core dbus-daemon
)
# Pictures of other kinds into a slot: PNG through libpng, WebP and TIFF through Qt's plugins, HEIC
# and AVIF through libheif; the tests make them with heif-enc and read Exif back with exiftool.
packages+=(libpng-dev qt6-image-formats-plugins libheif-dev libheif-examples libimage-exiftool-perl)
# Debian 13 splits libheif's codecs into plugins (Debian 12 builds them in): name those that exist,
# which a machine that never read its package lists cannot tell.
if ! ls /var/lib/apt/lists/*_Packages >/dev/null 2>&1; then
    $([ "$(id -u)" -eq 0 ] || echo sudo) env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi
for p in libheif-plugin-x265 libheif-plugin-aomenc libheif-plugin-libde265 libheif-plugin-dav1d; do
    if apt-cache show "$p" >/dev/null 2>&1; then packages+=("$p"); fi
done
# Node.js for the browser tests; a machine that already has a node keeps it.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi

bash "$root/scripts/install-missing.sh" "${packages[@]}"
# The benchmark runs nginx from its own configuration; the system one the package may have started
# would only hold port 80.
if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet nginx 2>/dev/null; then
    systemctl disable --now nginx >/dev/null 2>&1 || true
elif command -v service >/dev/null 2>&1 && service nginx status >/dev/null 2>&1; then
    service nginx stop >/dev/null 2>&1 || true
fi

# The browser tests drive Debian's chromium through playwright-core; nothing downloads a browser.
# The packages are installed again whenever the lockfile changed (its hash is kept beside them).
browser="$root/tests/browser"
if [ -f "$browser/package-lock.json" ]; then
    lock_hash=$(sha256sum "$browser/package-lock.json" | cut -d' ' -f1)
    stamp="$browser/node_modules/.quirvel-lock-sha256"
    if [ "$(cat "$stamp" 2>/dev/null)" != "$lock_hash" ]; then
        (cd "$browser" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
        echo "$lock_hash" >"$stamp"
    fi
fi
