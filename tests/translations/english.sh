#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Everything the programs show an English reader, with no Japanese character
# in it: the programs' --help, a command line session (messages, changes,
# JSON), the desktop entry, the metadata, the release notes and the help file
# (the windows and the manual pages have tests of their own). The adapter's
# own replies would be exempt; the simulated adapter's are ASCII.
# Usage: english.sh BUILD SOURCE
set -u
build=$1 source=$2
status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export LANGUAGE=en LANG=en_US.UTF-8 LC_ALL= LC_MESSAGES= XDG_DATA_HOME="$scratch/data"
japanese() { LC_ALL=C.UTF-8 grep -nP '[\x{3000}-\x{30ff}\x{3400}-\x{9fff}\x{ff00}-\x{ffef}]'; }
check() { # NAME, the text on standard input
  found=$(japanese | head -3)
  [ -z "$found" ] || { printf '%s: Japanese in English:\n%s\n' "$1" "$found"; status=1; }
}

for program in korvanta korvanta-cli korvanta-sim; do
  "$build/bin/$program" --help 2>&1 | check "$program --help"
done
"$build/bin/korvanta" --port COM1=foo://rack1:3001 2>&1 | check "korvanta's refusal of an address"
cli="$build/bin/korvanta-cli --simulate --workfile $scratch/mail.ini"
{
  $cli backup "$scratch/a.ini"
  sed 's/^TUCHI=3/TUCHI=1/; s/^JIKO_NO=$/JIKO_NO=0312345678/; s/^00=$/00=117/' "$scratch/a.ini" >"$scratch/b.ini"
  $cli restore "$scratch/b.ini"
  $cli --json diff "$scratch/a.ini" "$scratch/b.ini"
  $cli --old-firmware restore "$scratch/b.ini" 2>&1 # an option no program has: the usage error
  printf '[TEL1]\nX=1\n' | $cli restore -
  $cli --port COM3=/nonexistent identify
} 2>&1 | check "korvanta-cli session"
grep -v '\[ja\]' "$source/resources/org.korvanta.korvanta.desktop" | check "desktop entry"
python3 -c '
import sys, xml.etree.ElementTree as ET
lang = "{http://www.w3.org/XML/1998/namespace}lang"
def text(e):
    if e.get(lang) is None:
        yield (e.text or "")
        for c in e:
            yield from text(c)
    yield (e.tail or "")
print("\n".join(text(ET.parse(sys.argv[1]).getroot())))' "$build/org.korvanta.korvanta.metainfo.xml" | check "metadata"
check "release notes" <"$source/CHANGELOG.md"
check "help" <"$source/resources/korvanta_en.hlp"
exit $status
