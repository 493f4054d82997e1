#!/usr/bin/env bash
# Sets up, builds and runs every test twice: in the normal build (build/), and
# built with AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/,
# test programs only). Fails when either run fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KORVANTA_BUILD_DIR:-build}
sanitized=${KORVANTA_SANITIZE_BUILD_DIR:-build-sanitize}

# Tests that mostly wait run beside the others, within two cores' budget
# (tests/CMakeLists.txt).
parallel=(-j4 --resource-spec-file "$PWD/scripts/ctest-resources.json")

status=0
scripts/setup.sh
ctest --test-dir "$build" --output-on-failure "${parallel[@]}" || status=1
# The installed tree: desktop entry, metadata, the installed program as an
# unprivileged user.
KORVANTA_BUILD_DIR="$build" scripts/installcheck.sh || status=1

KORVANTA_SANITIZE=ON KORVANTA_BUILD_DIR="$sanitized" scripts/setup.sh
# Any report fails its test: undefined behaviour stops the program, and so do
# memory errors and leaks, except fontconfig's own caches (scripts/lsan.supp).
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
ctest --test-dir "$sanitized" --output-on-failure "${parallel[@]}" || status=1

[ $status -eq 0 ] && echo "All tests passed, normal and sanitized."
exit $status
