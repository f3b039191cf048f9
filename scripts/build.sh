#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds QUIRVEL in build/, the "default" preset of CMakePresets.json (extra
# arguments, -DNAME=VALUE for example, go to the configure step).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset default "$@" >/dev/null
cmake --build --preset default -j"$(nproc)"
