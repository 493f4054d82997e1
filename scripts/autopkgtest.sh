#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the package's autopkgtest tests (SOURCE/debian/tests/control) against
# the built .debs, on this machine and without changing it: the .debs are
# unpacked into a scratch root instead of being installed, every test's
# Depends must already be met by the system or by those .debs, and each test
# runs as an unprivileged user (nobody, when run as root) with the scratch
# root's programs first on its PATH, in the source tree, with its own HOME
# and AUTOPKGTEST_TMP. As autopkgtest, a test fails on a non-zero status or
# on output to standard error (unless allow-stderr). Fails if any test fails.
#
#   scripts/autopkgtest.sh SOURCE DEB...
#
# A lighter runner than autopkgtest's own: its null testbed would install the
# packages and their test dependencies into this machine's system with apt.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 SOURCE DEB..." >&2; exit 2; }
source=$(realpath "$1"); shift

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
chmod 755 "$stage"
root=$stage/root
built=()
for deb in "$@"; do
  dpkg-deb -x "$deb" "$root"
  built+=("$(dpkg-deb -f "$deb" Package)")
done

# Whether the dependencies DEPENDS leave anything unmet: those that name none
# of the built packages must be installed.
printf 'Source: x\n\nPackage: x\nArchitecture: any\n' >"$stage/control"
unmet() {
  local kept=() dep
  IFS=',' read -ra deps <<<"$1"
  for dep in "${deps[@]}"; do
    dep=$(echo "$dep" | xargs)
    [ -n "$dep" ] || continue
    [[ " ${built[*]} @ " == *" ${dep%% *} "* ]] || kept+=("$dep")
  done
  [ ${#kept[@]} -gt 0 ] || return 1
  ! (IFS=,; dpkg-checkbuilddeps -d "${kept[*]}" "$stage/control") >&2
}
for deb in "$@"; do
  ! unmet "$(dpkg-deb -f "$deb" Depends)" || { echo "autopkgtest: $deb cannot be installed here" >&2; exit 1; }
done

if [ "$(id -u)" -eq 0 ]; then as_user=(runuser -u nobody --); owner=nobody; else as_user=(); owner=$(id -un); fi

# The tests of debian/tests/control, one line each: NAMES|DEPENDS|RESTRICTIONS.
tests=$(awk 'BEGIN { RS = ""; FS = "\n" }
  { t = d = r = ""; f = ""
    for (i = 1; i <= NF; i++) {
      if ($i ~ /^#/) continue
      if ($i ~ /^[ \t]/) { v = $i } else { f = tolower(substr($i, 1, index($i, ":") - 1)); v = substr($i, index($i, ":") + 1) }
      if (f == "tests") t = t " " v; else if (f == "depends") d = d " " v; else if (f == "restrictions") r = r " " v
    }
    if (t != "") print t "|" d "|" r }' "$source/debian/tests/control")

status=0
while IFS='|' read -r names depends restrictions; do
  for name in $names; do
    if unmet "$depends"; then
      echo "autopkgtest: $name: its Depends are not met" >&2; status=1; continue
    fi
    dir=$stage/$name
    mkdir -p "$dir/home" "$dir/tmp" "$dir/artifacts"
    chown -R "$owner" "$dir"
    if (cd "$source" && "${as_user[@]}" env -i PATH="$root/usr/bin:/usr/bin:/bin" HOME="$dir/home" LANG=C.UTF-8 \
          AUTOPKGTEST_TMP="$dir/tmp" AUTOPKGTEST_ARTIFACTS="$dir/artifacts" "debian/tests/$name") \
          >"$dir/stdout" 2>"$dir/stderr"; then
      if [ -s "$dir/stderr" ] && [[ " $restrictions " != *" allow-stderr "* ]]; then
        echo "autopkgtest: $name FAIL stderr: $(head -c 2000 "$dir/stderr")"; status=1
      else
        echo "autopkgtest: $name PASS"
      fi
    else
      echo "autopkgtest: $name FAIL non-zero exit status"; cat "$dir/stdout" "$dir/stderr"; status=1
    fi
  done
done <<<"$tests"
exit $status
