#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts QUIRVEL in the bundled sample pictures folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
pictures="$root/samples"
[ -d "$pictures" ] || pictures="$root"
cd "$pictures"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting QUIRVEL on a virtual X server (xvfb-run); nothing will be visible." >&2
    exec xvfb-run -a "$root/build/program/quirvel"
fi
exec "$root/build/program/quirvel"
