#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source package and binary packages with
# `dpkg-buildpackage -us -uc` from a clean copy of the tree, into OUTDIR
# (default: the current folder), and prints the path of the .changes, then
# those of the .debs, one a line.
#
#   scripts/package.sh [OUTDIR]
#
# The clean copy is the tree as git has it: the last commit, with the changes
# made to tracked files since (a new file counts once it is added). Its orig
# tarball is made by `git archive` without debian/, and is unpacked with
# debian/ into OUTDIR/korvanta-VERSION/, where dh builds, runs the test suite
# and installs (the build stays in its obj-*/ folder). The log is
# OUTDIR/korvanta_VERSION_ARCH.build. DEB_BUILD_OPTIONS is passed on (nocheck
# builds and runs no test).
set -euo pipefail
outdir=$(realpath -m "${1:-.}")
cd "$(dirname "$0")/.."

source=$(dpkg-parsechangelog -SSource)
version=$(dpkg-parsechangelog -SVersion)
upstream=${version%-*}
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
# The release's date, from the changelog, for everything the build dates.
export SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -STimestamp)

# The tree as one commit, made by the same author at the release's date in
# UTC, so that the same tree always gives the same tarball (git archive
# writes the commit's id into it), whoever builds it and in whatever time zone.
export GIT_AUTHOR_NAME=korvanta GIT_AUTHOR_EMAIL=korvanta GIT_AUTHOR_DATE="@$SOURCE_DATE_EPOCH +0000"
export GIT_COMMITTER_NAME=korvanta GIT_COMMITTER_EMAIL=korvanta GIT_COMMITTER_DATE="@$SOURCE_DATE_EPOCH +0000"
tree=$(git stash create)
commit=$(git commit-tree -m "$source $upstream" "${tree:-HEAD}^{tree}")

mkdir -p "$outdir"
work=$outdir/$source-$upstream
orig=$outdir/${source}_$upstream.orig.tar.xz
rm -rf "$work" "$outdir"/*_"$version"_*.deb "$outdir"/"${source}_$version"*
git archive --format=tar --prefix="$source-$upstream/" "$commit" -- . ':(exclude)debian' | xz -6 -T1 >"$orig"
tar -xf "$orig" -C "$outdir"
git archive --format=tar "$commit" debian | tar -xf - -C "$work"

# The build sees no network but the loopback, as Debian's build machines: a
# step or test that reaches further, or resolves a name, fails here as it
# would there. unshare -n wants root (as in CI); as another user the build
# runs with the machine's network, and says so.
netless=()
if [ "$(id -u)" -eq 0 ] && command -v ip >/dev/null && unshare -n true 2>/dev/null; then
  netless=(unshare -n sh -c 'ip link set lo up && exec "$@"' sh)
else
  echo "package.sh: building with the network (unshare -n needs root)" >&2
fi
log=$outdir/${source}_${version}_$arch.build
if ! (cd "$work" && "${netless[@]}" dpkg-buildpackage -us -uc -Jauto) >"$log" 2>&1; then
  tail -60 "$log"
  echo "package.sh: dpkg-buildpackage failed; the whole log is in $log" >&2
  exit 1
fi
changes=$outdir/${source}_${version}_$arch.changes
echo "$changes"
sed -n '/^Files:/,/^[^ ]/s/^ .* \([^ ]*\.deb\)$/\1/p' "$changes" | sed "s|^|$outdir/|"
