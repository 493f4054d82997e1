#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages of the build (BUILD/man, and the Japanese ones in
# BUILD/man/ja) as man shows them in UTF-8: no troff warning, no device
# written as the bare "/dev/ttySn-1", the release's version in each title
# line, whatis reading the NAME line as man shows it, each program's page describes every option its --help lists, the
# English pages hold no Japanese character and the Japanese ones no English
# section heading.
# Usage: manpages.sh BUILD VERSION
set -u
build=$1
version=$2
status=0
fail() { echo "$*"; status=1; }
show() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$1"; }

for page in "$build"/man/*.[1-9] "$build"/man/ja/*.[1-9]; do
  warnings=$(show "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
  grep -q "^\.TH .* \"korvanta $version\" " "$page" || fail "$page: no \"korvanta $version\" in its .TH line"
  show "$page" 2>/dev/null | grep -q '/dev/ttyS[a-z]' && fail "$page: a serial device as /dev/ttyS followed by a letter"
  # whatis and apropos read the NAME line as written: the same as man shows.
  name=$(show "$page" 2>/dev/null | awk '/^[^ ]/{h++} h==2 && /^ /' | tr -s ' \n' '  ' | sed 's/^ //; s/ $//')
  [ "$(lexgrog "$page" | sed -n 's/^[^"]*"\(.*\)"$/\1/p')" = "$name" ] || fail "$page: whatis reads its NAME line as $(lexgrog "$page")"
  case $page in
    */man/ja/*) grep -q '^\.SH [A-Z]' "$page" && fail "$page: an English section heading in the Japanese page" ;;
    *) show "$page" 2>/dev/null | grep -nP '[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]' | head -3 \
         | while read -r line; do echo "$page: Japanese in the English page: $line"; done | grep . && status=1 ;;
  esac
  program=$(basename "$page" .1)
  if [ -x "$build/bin/$program" ]; then
    described=$(show "$page" 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
    for option in $("$build/bin/$program" --help 2>&1 | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      echo "$described" | grep -qx -- "$option" || fail "$page: no $option, which $program --help lists"
    done
  fi
done
exit $status
