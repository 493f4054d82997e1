#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every source, script and build file of the tree carries the
# line "SPDX-License-Identifier: GPL-3.0-or-later" at its top (in its first
# three lines, after a "#!" line if it has one), and names each file that
# does not; with --fix, adds the line to each such file instead, as a
# comment of its language.
#
#   scripts/spdx.sh [--fix] [TREE]
#
# The files: C++ sources and headers, shell and Python scripts, CMake files,
# debian/rules and every file that starts with a "#!" line; git's files in a
# git work tree, else every file under TREE outside build folders.
set -euo pipefail
fix=false
[ "${1:-}" = --fix ] && { fix=true; shift; }
tree=${1:-$(dirname "$0")/..}
cd "$tree"
line="SPDX-License-Identifier: GPL-3.0-or-later"

files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1 && [ "$(git rev-parse --show-toplevel)" = "$PWD" ]; then
    git ls-files -z
  else
    find . \( -name .git -o -name 'obj-*' -o -path './build*' -o -path ./debian/.debhelper -o -path ./debian/tmp \
              -o -path './debian/korvanta*' \) -prune -o -type f -printf '%P\0'
  fi
}
# The comment that starts a line of FILE's language; nothing for other files.
comment() {
  case $1 in
    *.cpp|*.h|*.hpp|*.cc|*.c) echo "//" ;;
    *.sh|*.py|*.cmake|*/CMakeLists.txt|CMakeLists.txt|debian/rules) echo "#" ;;
    *) head -c2 "$1" | grep -q '^#!' && echo "#" || true ;;
  esac
}

missing=0
while IFS= read -r -d '' file; do
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  mark=$(comment "$file")
  [ -n "$mark" ] || continue
  if head -n 3 "$file" | grep -q "$line"; then continue; fi
  if $fix; then
    if head -n1 "$file" | grep -q '^#!'; then
      sed -i "1a $mark $line" "$file"
    else
      sed -i "1i $mark $line" "$file"
    fi
    echo "spdx: added to $file"
  else
    echo "spdx: no \"$line\" at the top of $file"
    missing=$((missing + 1))
  fi
done < <(files)
[ $missing -eq 0 ] || { echo "spdx: $missing files lack the line; scripts/spdx.sh --fix adds it"; exit 1; }
