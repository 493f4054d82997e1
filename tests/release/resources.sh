#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every resource the build embeds (each rcc command of BUILD/build.ninja) is
# the same bytes whatever its files' modification times: each command runs
# again, as the build runs it, on copies of its files dated 2001 and then
# 2021, with neither SOURCE_DATE_EPOCH nor QT_RCC_SOURCE_DATE_OVERRIDE set.
# Usage: resources.sh BUILD WORK
set -eu
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
unset SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE

grep -o '[^ ]*/rcc --output [^&]*' "$build/build.ninja" | sort -u >"$work/commands"
[ -s "$work/commands" ] || { echo "no rcc command in $build/build.ninja"; exit 1; }
status=0
while read -r rcc _output _out _name name qrc options; do
  dir=$work/$name
  mkdir -p "$dir/files"
  cp "$qrc" "$dir/copy.qrc"
  n=0
  for file in $(sed -n 's|.*<file[^>]*>\([^<]*\)</file>.*|\1|p' "$qrc"); do
    n=$((n + 1))
    cp "$file" "$dir/files/$n"
    sed -i "s|>$file<|>$dir/files/$n<|" "$dir/copy.qrc"
  done
  for year in 2001 2021; do
    touch -d "$year-06-01 12:00" "$dir"/files/*
    # shellcheck disable=SC2086 # the options are the build's, word by word
    "$rcc" --output "$dir/$year.cpp" --name "$name" "$dir/copy.qrc" $options
  done
  if cmp -s "$dir/2001.cpp" "$dir/2021.cpp"; then
    echo "$name: $n files, the same bytes"
  else
    echo "$name: the embedded resources change with the files' times"; status=1
  fi
done <"$work/commands"
exit $status
