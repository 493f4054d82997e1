#!/usr/bin/env bash
# Builds the Debian package of the utility into OUTDIR (default: the current
# folder) and prints its path last.
#
#   scripts/package.sh [OUTDIR]
#
# It is built from a fresh Release build in a temporary folder, or, when
# KORVANTA_BUILD_DIR names one, from that build folder: configured with the
# same hardening flags as scripts/setup.sh gives the normal build, so that a
# build made by the test command is packaged without compiling again. The
# maintainer named in the package is the one who builds it: DEBFULLNAME and
# DEBEMAIL, as Debian's tools take them, else git's user.name and user.email.
set -euo pipefail
outdir=$(realpath -m "${1:-.}")
build=${KORVANTA_BUILD_DIR:+$(realpath -m "$KORVANTA_BUILD_DIR")}
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$build" ]; then
  if grep -q '^KORVANTA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    echo "package.sh: $build is a sanitizer build" >&2; exit 2
  fi
  type=()
else
  build=$work/build
  type=(-DCMAKE_BUILD_TYPE=Release)
fi
. scripts/hardening.sh
cmake -S . -B "$build" -G Ninja "${type[@]}" "${hardening[@]}" >/dev/null
cmake --build "$build" --target korvanta_installed -- -j"$(nproc)" >"$work/build.log" 2>&1 \
  || { tail -40 "$work/build.log"; echo "package.sh: the build failed" >&2; exit 1; }

# The release: the newest of CHANGELOG.md (the build checks it is the
# project's version); its date dates the package's own changelog and files.
heading=$(grep -m1 -E '^## [0-9.]+ \([0-9-]+\)$' CHANGELOG.md)
version=$(echo "$heading" | sed -E 's/^## ([0-9.]+) .*/\1/')
date=$(echo "$heading" | sed -E 's/.*\(([0-9-]+)\)$/\1/')
export SOURCE_DATE_EPOCH=$(date -u -d "$date" +%s)
name=${DEBFULLNAME:-$(git config user.name || id -un)}
email=${DEBEMAIL:-$(git config user.email || echo "$(id -un)@$(hostname --fqdn)")}
maintainer="$name <$email>"

root=$work/root
umask 022
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
doc=$root/usr/share/doc/korvanta
# As dh_strip: no symbols, no .comment or .note section.
strip --remove-section=.comment --remove-section=.note "$root"/usr/bin/*
find "$root/usr/share/man" -type f -exec gzip -9n {} +
gzip -9n -c "$doc/CHANGELOG.md" >"$doc/changelog.gz"
rm "$doc/CHANGELOG.md"
install -D -m 644 packaging/lintian-overrides "$root/usr/share/lintian/overrides/korvanta"

# The control files, made by dpkg's own tools from packaging/control.
mkdir -p "$work/src/debian" "$root/DEBIAN"
cp packaging/control "$work/src/debian/control"
cat >"$work/src/debian/changelog" <<CHANGES
korvanta ($version-1) unstable; urgency=medium

  * Package of release $version (the changes are in changelog.gz).

 -- $maintainer  $(date -u -R -d "@$SOURCE_DATE_EPOCH")
CHANGES
gzip -9n -c "$work/src/debian/changelog" >"$doc/changelog.Debian.gz"
(
  cd "$work/src"
  dpkg-shlibdeps -Tdebian/substvars "$root"/usr/bin/*
  dpkg-gencontrol -pkorvanta -P"$root" -Tdebian/substvars -fdebian/files "-DMaintainer=$maintainer"
)
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
chmod 644 "$root/DEBIAN/md5sums"

mkdir -p "$outdir"
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$outdir/korvanta_${version}-1_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
