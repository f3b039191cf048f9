#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the sources' format, builds, and runs every test through CTest:
# first the normal build (unit, GUI and browser tests), then an AddressSanitizer +
# UndefinedBehaviorSanitizer build of the same suite. Non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/check-format.sh"
bash "$root/scripts/build.sh"
status=0
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)") || status=$?
bash "$root/scripts/test-sanitize.sh" || status=$?
exit "$status"
