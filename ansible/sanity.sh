#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ansible-test sanity for the collection, with Debian's tools and no network:
#
#   ansible/sanity.sh WORKDIR [--skip-test TEST]...
#
# ansible-test wants the collection in a folder ending in
# ansible_collections/korvanta/adapter, and writes its results there; inside
# a git tree it tests only the files git tracks, so not in a build folder: it
# is copied into a temporary folder. The tests whose tools ansible-test would
# pip-install into a virtual environment of their own (validate-modules, pep8,
# pylint, yamllint, ansible-doc, runtime-metadata) run in one prepared here
# instead, over Debian's packages (--system-site-packages), kept in
# WORKDIR/home: a virtual environment with its marker file is taken as it is.
#
# Not run: import (it builds virtual environments at run time and installs
# into them from PyPI), changelog (antsibull-changelog, not in Debian; the
# collection keeps CHANGELOG.md), pslint (no PowerShell here).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
HOME=$(realpath -m "${1:?WORKDIR}")/home
export HOME LANG=C.UTF-8 LC_ALL=C.UTF-8
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
collection=$tree/ansible_collections/korvanta/adapter
mkdir -p "$HOME" "$(dirname "$collection")"
cp -r "$here/ansible_collections/korvanta/adapter" "$collection"
find "$collection" -name __pycache__ -prune -exec rm -rf {} +
cd "$collection"

test=/usr/bin/ansible-test
python=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
skipped=" $* "
for name in validate-modules pep8 pylint yamllint ansible-doc runtime-metadata; do
  [[ $skipped == *" --skip-test $name "* ]] && continue
  # The first run names the environment (its folder, without a marker).
  "$test" sanity --python "$python" --test "$name" --prime-venvs >/dev/null 2>&1 || true
  for venv in "$HOME/.ansible/test/venv/sanity.$name/$python"/*/; do
    [ -e "$venv/marker.txt" ] && continue
    rm -rf "$venv"
    /usr/bin/python3 -m venv --system-site-packages --without-pip "$venv"
    echo '[]' >"$venv/meta.install.json"
    echo 'true' >"$venv/meta.yaml.json" # PyYAML with libyaml
    touch "$venv/marker.txt"
  done
done
"$test" sanity --python "$python" --skip-test import --skip-test changelog --skip-test pslint "${@:2}"
