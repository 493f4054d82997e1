#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the source and binary packages twice with scripts/package.sh and
# compares every package with cmp: the same tree must give the same bytes.
# The second build differs from the first in its build path (another folder,
# deeper), its umask, time zone and locale, and its files' modification times
# (tar gives every unpacked file the time of the unpacking instead of the
# release's). Builds without the test suite (DEB_BUILD_OPTIONS=nocheck),
# unless DEB_BUILD_OPTIONS says otherwise. Not part of scripts/test.sh: it
# builds twice.
#
#   scripts/reprotest.sh [WORKDIR]       # default: build/reprotest
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/reprotest}")
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-nocheck}
rm -rf "$work"
mkdir -p "$work"

first=$work/a
second=$work/second/build/path/b
(umask 022; TZ=UTC LC_ALL=C.UTF-8 scripts/package.sh "$first") >"$work/a.list"
(umask 002; TZ=Asia/Tokyo LC_ALL=C TAR_OPTIONS=--touch scripts/package.sh "$second") >"$work/b.list"

status=0
compared=0
for file in "$first"/*.deb "$first"/*.dsc "$first"/*.tar.*; do
  name=$(basename "$file")
  if cmp "$file" "$second/$name"; then
    compared=$((compared + 1))
  else
    status=1
  fi
done
if [ $status -eq 0 ]; then
  echo "reprotest: the $compared packages and source files of both builds are the same bytes"
else
  echo "reprotest: the builds differ; diffoscope $first/FILE $second/FILE shows where" >&2
fi
exit $status
