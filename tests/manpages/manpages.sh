#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages of the build (BUILD/man, and the Japanese ones in
# BUILD/man/ja) as man shows them in UTF-8: no troff warning, no device
# written as the bare "/dev/ttySn-1", the release's version in each title
# line, whatis reading the NAME line as man shows it, each program's page describes every option its --help lists, the
# English pages hold no Japanese character and the Japanese ones no English
# section heading.
# the SEE ALSO of each names every other, and korvanta-cli(1)'s EXIT STATUS
# says what the program gives.
# Usage: manpages.sh BUILD VERSION SOURCE
set -u
build=$(cd "$1" && pwd)
version=$2
source=$(cd "$3" && pwd)
profiles=$source/fuzz/corpus/profile
status=0
fail() { echo "$*"; status=1; }
show() { LC_ALL=C.UTF-8 MANWIDTH=${MANWIDTH:-80} man --warnings=all -l "$1"; }

for page in "$build"/man/*.[1-9] "$build"/man/ja/*.[1-9]; do
  warnings=$(show "$page" 2>&1 >/dev/null)
  shown=$(show "$page" 2>/dev/null)
  # Wide: no line broken, no word hyphenated.
  wide=$(MANWIDTH=1000 show "$page" 2>/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
  grep -q "^\.TH .* \"korvanta $version\" " "$page" || fail "$page: no \"korvanta $version\" in its .TH line"
  printf "%s\n" "$shown" | grep -q '/dev/ttyS[a-z]' && fail "$page: a serial device as /dev/ttyS followed by a letter"
  # whatis and apropos read the NAME line as written: the same as man shows.
  name=$(printf "%s\n" "$wide" | awk '/^[^ ]/{h++} h==2 && /^ /' | tr -s ' ' | sed 's/^ //; s/ $//')
  [ "$(lexgrog "$page" | sed -n 's/^[^"]*"\(.*\)"$/\1/p')" = "$name" ] || fail "$page: whatis reads its NAME line as $(lexgrog "$page")"
  case $page in
    */man/ja/*) grep -q '^\.SH [A-Z]' "$page" && fail "$page: an English section heading in the Japanese page" ;;
    *) printf "%s\n" "$shown" | grep -nP '[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]' | head -3 \
         | while read -r line; do echo "$page: Japanese in the English page: $line"; done | grep . && status=1 ;;
  esac
  # SEE ALSO names every other page of the utility.
  seealso=$(printf "%s\n" "$wide" | awk '/^[^ ]/{on = /^(SEE ALSO|関連項目)$/; next} on')
  for other in "$build"/man/*.[1-9]; do
    [ "$(basename "$other")" = "$(basename "$page")" ] && continue
    reference=$(basename "$other" | sed 's/\.\([1-9]\)$/(\1)/')
    printf "%s\n" "$seealso" | grep -qF "$reference" || fail "$page: no $reference under SEE ALSO"
  done
  program=$(basename "$page" .1)
  if [ -x "$build/bin/$program" ]; then
    help=$("$build/bin/$program" --help 2>&1)
    described=$(printf "%s\n" "$shown" | grep -o -- '--[a-z][a-z-]*' | sort -u)
    for option in $(printf "%s\n" "$help" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      printf "%s\n" "$described" | grep -qx -- "$option" || fail "$page: no $option, which $program --help lists"
    done
    # The program's own options (the "Options:" block of --help, not a
    # command's) each in the SYNOPSIS and under OPTIONS.
    for heading in SYNOPSIS OPTIONS; do
      text=$(printf "%s\n" "$wide" | awk -v h="$heading" '/^[^ ]/{on = ($0 == h); next} on' | grep -o -- '--[a-z][a-z-]*')
      for option in $(printf "%s\n" "$help" | awk '/^Options:/{on=1; next} /^[^ ]/{on=0} on' \
                        | grep -o -- '^ *\(-[a-z], \)\?--[a-z][a-z-]*' | grep -o -- '--[a-z-]*'); do
        printf "%s\n" "$text" | grep -qx -- "$option" || fail "$page: no $option in its $heading, which $program --help lists"
      done
    done
  fi
done

# What the EXIT STATUS table of korvanta-cli(1) says of each status, against
# what the program gives: NAME|ARGUMENTS|STATUS|a phrase of that status's
# row, run in a folder of their own, where PROFILES/ are profiles.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli=$build/bin/korvanta-cli
rowof() {
  awk -v s="$1" '/^\.SH EXIT STATUS/{t=1} t && /^\.TE/{exit} on && /^[0-9]/{row = ($1 == s)} on && row; t && /^\.TS/{on=1}' \
    "$build/man/korvanta-cli.1" | tr '\n' ' '
}
while IFS='|' read -r name arguments expected phrase; do
  # shellcheck disable=SC2046,SC2086 # the arguments, word by word
  (cd "$work" && "$cli" --workfile w.ini $(printf '%s\n' "$arguments" | sed "s|PROFILES|$profiles|g") >/dev/null 2>&1)
  got=$?
  [ "$got" = "$expected" ] || fail "korvanta-cli's status for $name: $got, not $expected"
  rowof "$expected" | grep -q -- "$phrase" || fail "korvanta-cli(1): status $expected does not say \"$phrase\" ($name)"
done <<'ROWS'
the same profile|diff PROFILES/factory.ini PROFILES/factory.ini|0|for \\fBdiff\\fR: no setting differs
a port that does not open|--port ./none identify|1|the port did not open
profiles that differ|diff PROFILES/factory.ini PROFILES/changed.ini|1|for \\fBdiff\\fR: some settings differ
diff on a port that does not open|--port ./none diff PROFILES/factory.ini|2|for \\fBdiff\\fR: the adapter or the line failing
an unknown option|--fast identify|2|wrong usage
a profile that cannot be read|diff none.ini PROFILES/factory.ini|2|a profile that cannot be read
ROWS
# korvanta-cli's bash completion offers what --help lists: WORDS before the
# one completed|its start|what COMPREPLY must hold. Ports from
# `korvanta-cli ports`, a ports.conf of the test's own among them.
mkdir -p "$work/config/korvanta"
echo "rack-7 = tcp://127.0.0.1:4001" >"$work/config/korvanta/ports.conf"
help=$("$cli" --help)
commands=$(printf '%s\n' "$help" | awk '/^Commands:/{on=1; next} on && /^  [a-z]/{print $1}' | tr '\n' ' ')
options=$(printf '%s\n' "$help" | awk '/^Options:/{on=1; next} /^[^ ]/{on=0} on' | grep -o -- '^ *\(-[a-z], \)\?--[a-z][a-z-]*' \
            | grep -o -- '--[a-z-]*' | sort -u | tr '\n' ' ')
offers() {
  # shellcheck disable=SC1091,SC2034 # COMP_*: read by the completion
  XDG_CONFIG_HOME=$work/config PATH=$build/bin:$PATH bash -c '. "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _korvanta_cli; printf "%s\n" "${COMPREPLY[@]}"' \
    sh "$source/cli/completion/korvanta-cli.bash" "$@"
}
while IFS='|' read -r words current wanted; do
  # shellcheck disable=SC2086 # the words, one by one
  offered=$(offers $words "$current")
  for word in $wanted; do
    printf '%s\n' "$offered" | grep -qx -- "$word" || fail "completion of \"$words\": no $word"
  done
done <<ROWS
korvanta-cli||$commands
korvanta-cli --json||$commands
korvanta-cli|--|$options
korvanta-cli --port||rack-7 COM1
korvanta-cli --language||ja en c
korvanta-cli --port rack-7 restore|--|--dry-run --no-store --no-backup --merge
korvanta-cli history|--|--prune
ROWS
exit $status
