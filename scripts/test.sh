#!/usr/bin/env bash
# Sets up, builds and runs every test twice: in the normal build (build/), and
# built by clang with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-sanitize/, test programs only), where the fuzz programs are built
# from the same objects and each runs a few thousand inputs from its corpus;
# checks the installed tree, and the Debian package made from the normal build
# with lintian. Fails when any of them fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KORVANTA_BUILD_DIR:-build}
sanitized=${KORVANTA_SANITIZE_BUILD_DIR:-build-sanitize}

# Tests that mostly wait run beside the others, within two cores' budget
# (tests/CMakeLists.txt).
parallel=(-j4 --resource-spec-file "$PWD/scripts/ctest-resources.json")

status=0
scripts/setup.sh
# The sanitizer build compiles while the normal build's tests, which mostly
# wait, run; at a lower priority, so that those tests keep their processor.
KORVANTA_SANITIZE=ON KORVANTA_FUZZ=ON KORVANTA_BUILD_DIR="$sanitized" nice -n 10 scripts/setup.sh >"$build/sanitize-setup.log" 2>&1 &
sanitize_build=$!
ctest --test-dir "$build" --output-on-failure "${parallel[@]}" || status=1
# The installed tree: desktop entry, metadata, the installed program as an
# unprivileged user.
KORVANTA_BUILD_DIR="$build" scripts/installcheck.sh || status=1
# The Debian package of the build just tested (nothing is compiled again),
# and lintian on it: an error or a warning fails.
if deb=$(KORVANTA_BUILD_DIR="$build" scripts/package.sh "$build/package" | tail -n1); then
  lintian --pedantic --fail-on error,warning "$deb" || status=1
else
  status=1
fi

if ! wait "$sanitize_build"; then
  cat "$build/sanitize-setup.log"
  exit 1
fi
# Any report fails its test: undefined behaviour stops the program, and so do
# memory errors and leaks, except fontconfig's own caches (scripts/lsan.supp).
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
ctest --test-dir "$sanitized" --output-on-failure "${parallel[@]}" || status=1

[ $status -eq 0 ] && echo "All tests passed, normal and sanitized."
exit $status
