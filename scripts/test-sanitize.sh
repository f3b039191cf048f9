#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds QUIRVEL and its tests with AddressSanitizer + UndefinedBehaviorSanitizer in build-asan and
# runs every test there through CTest; any sanitizer report fails its test, and so the script.
# Tests labelled no-asan are left out (QUIRVEL_SANITIZE_EXCLUDE, a CTest regex, says what else to
# leave out): the browser tests time a real browser, and the page-writing code they run is covered
# here already; the accessibility-bus test runs dbus and glib, which leak by design.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-asan"
started=$(date +%s)

cd "$root"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)"
built=$(date +%s)

# halt_on_error and a distinct exit code make the first report end the test with a failure;
# leaks count too.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:exitcode=86:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:report_error_type=1:exitcode=87"

cd "$build"
status=0
ctest --output-on-failure -j"$(nproc)" -LE no-asan ${QUIRVEL_SANITIZE_EXCLUDE:+-E "$QUIRVEL_SANITIZE_EXCLUDE"} || status=$?
echo "Sanitized build and tests: build $((built - started)) s, tests $(($(date +%s) - built)) s."
exit "$status"
