#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and runs every test twice: in the Debian package's build
# (dpkg-buildpackage, whose dh_auto_test runs the test suite), and built with
# AddressSanitizer and UndefinedBehaviorSanitizer by clang (build-sanitize/,
# test programs only), where the fuzz programs are built from the same objects
# and each runs a few thousand inputs from its corpus; checks the installed tree of the package's build, the
# packages with lintian and their autopkgtest tests. Fails when any of them
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${KORVANTA_PACKAGE_DIR:-build/package}
sanitized=${KORVANTA_SANITIZE_BUILD_DIR:-build-sanitize}

status=0
# Each step's end, in seconds from the start, on standard error.
at() { echo "test.sh: $1 after $SECONDS s" >&2; }
scripts/setup.sh --packages-only
at "packages installed"
mkdir -p "$out" "$sanitized"
# The sanitizer build compiles beside the package's build, at a lower
# priority: it takes what that leaves, most of all while the package's tests,
# which mostly wait, run.
KORVANTA_SANITIZE=ON KORVANTA_FUZZ=ON KORVANTA_BUILD_DIR="$sanitized" nice -n 10 scripts/setup.sh >"$sanitized/setup.log" 2>&1 &
sanitize_build=$!

# The source package and the binary packages, built and tested as the
# archive's build machines do (scripts/package.sh).
if packages=$(scripts/package.sh "$out"); then
  changes=$(echo "$packages" | head -n1)
  mapfile -t debs < <(echo "$packages" | tail -n +2 | grep -v -- '-dbgsym_')
  source=$out/$(dpkg-parsechangelog -SSource)-$(dpkg-parsechangelog -SVersion | sed 's/-[^-]*$//')
  build=$source/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)
  at "the package built and tested"
  # The installed tree: desktop entry, metadata, the installed program as an
  # unprivileged user.
  KORVANTA_BUILD_DIR="$build" scripts/installcheck.sh || status=1
  at "installcheck"
  # The lints, which the package's build leaves out (debian/rules): licence
  # headers, ansible-test sanity.
  ctest --test-dir "$build" --label-regex lint --output-on-failure || status=1
  at "the lints"
  # lintian on the source and every binary package: an error or a warning
  # fails (the overrides in debian/ say why each stays).
  lintian --pedantic --fail-on error,warning "$changes" || status=1
  at "lintian"
  # The autopkgtest tests against the built packages.
  scripts/autopkgtest.sh "$source" "${debs[@]}" || status=1
  at "autopkgtest"
else
  status=1
fi

if ! wait "$sanitize_build"; then
  cat "$sanitized/setup.log"
  exit 1
fi
at "the sanitizer build"
# Any report fails its test: undefined behaviour stops the program, and so do
# memory errors and leaks, except fontconfig's own caches (scripts/lsan.supp).
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
# The checks of texts, man pages, resources and licence lines run no code of
# ours that a sanitizer could watch: they ran in the package's build.
ctest --test-dir "$sanitized" --output-on-failure -j4 --resource-spec-file "$PWD/scripts/ctest-resources.json" \
  -E '^(translations|english|manpages|reproducible_resources|spdx_headers)$' || status=1
at "the sanitized tests"

[ $status -eq 0 ] && echo "All tests passed, normal and sanitized."
exit $status
