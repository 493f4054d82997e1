#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the utility as installed: installs the build into a fresh prefix,
# validates its desktop entry and AppStream metadata, and runs the installed
# program as an unprivileged user who cannot write the prefix: the screenshot
# tour must take every picture (the help window found its help file in the
# installed data folder) and leave no work file of the user's behind;
# korvanta-cli identifies the simulated adapter there too and backs it up, and
# neither writes a work file of the user's (the simulated adapter keeps its
# values in one of its own). As root it also runs
# the installed programs as root and checks that nothing was written under
# the prefix. Fails on the first thing that is wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KORVANTA_BUILD_DIR:-build}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
chmod 755 "$stage"
prefix=$stage/prefix
home=$stage/home
mkdir -p "$home"
fail() { echo "installcheck: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix"/share/applications/*.desktop
appstreamcli validate --pedantic --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$stage/appstream.log" 2>&1 \
  && ! grep -q '^[EW]:' "$stage/appstream.log" \
  || { cat "$stage/appstream.log"; fail "the AppStream metadata does not validate without a warning"; }

# As root, the user nobody; otherwise this user, with the program's folder
# made read-only.
if [ "$(id -u)" -eq 0 ]; then
  user=nobody
  chown "$user" "$home"
  as_user=(runuser -u "$user" --)
else
  user=$(id -un)
  chmod a-w "$prefix/bin"
  as_user=()
fi
shots=$home/shots
"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
  "$prefix/bin/korvanta" --screenshots "$shots" >"$stage/tour.log" 2>&1 \
  || { cat "$stage/tour.log"; fail "the installed korvanta --screenshots failed"; }

for window in Form8 Form8List Form1 Form2 Form14 Form3 Form5 Form6 Form4 Form13 Form9 Form11 Form7 HelpWindow; do
  [ -s "$shots/$window.png" ] || fail "no picture of $window"
done
work=$home/.local/share/korvanta/mail.ini
[ ! -e "$work" ] || fail "the screenshot tour wrote the user's work file $work"
for page in korvanta korvanta-cli korvanta-sim; do
  [ -s "$prefix/share/man/man1/$page.1" ] || fail "no man page $page(1)"
done
# The command line: it identifies the adapter and backs it up, and leaves the
# user's work file alone.
identity=$("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
  "$prefix/bin/korvanta-cli" --simulate identify 2>"$stage/cli.log") \
  || { cat "$stage/cli.log"; fail "the installed korvanta-cli --simulate identify failed"; }
[ "$identity" = "$(printf 'KORVAN-TA\tVer 1.30 01/03/15')" ] || fail "korvanta-cli identified \"$identity\""
"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
  "$prefix/bin/korvanta-cli" --simulate backup "$home/profile.ini" 2>"$stage/cli.log" \
  || { cat "$stage/cli.log"; fail "the installed korvanta-cli --simulate backup failed"; }
[ -s "$home/profile.ini" ] || fail "no profile from the installed korvanta-cli --simulate backup"
[ ! -e "$work" ] && [ ! -e "$home/.local/share/korvanta/workfiles" ] \
  || fail "korvanta-cli --simulate wrote a work file of the user's"
[ ! -e "$prefix/bin/mail.ini" ] || fail "a work file beside the installed program"

# The Ansible collection, where Ansible finds it under the prefix and nowhere
# else: its documentation renders, and a module of it runs the installed
# korvanta-cli.
ansible_env=(env HOME="$stage/ansible" LANG=C.UTF-8 ANSIBLE_COLLECTIONS_PATH="$prefix/share/ansible/collections"
             ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false ANSIBLE_NOCOLOR=1)
for module in info backup profile; do
  if ! "${ansible_env[@]}" /usr/bin/ansible-doc -t module "korvanta.adapter.$module" >"$stage/ansible.log" 2>&1 \
     || ! grep -q "$prefix/share/ansible/collections/ansible_collections/korvanta/adapter/plugins/modules/$module.py" \
          "$stage/ansible.log"; then
    cat "$stage/ansible.log"; fail "ansible-doc does not find korvanta.adapter.$module"
  fi
done
"${ansible_env[@]}" /usr/bin/ansible localhost -c local -e ansible_python_interpreter=/usr/bin/python3 \
  -m korvanta.adapter.info -a "executable=$prefix/bin/korvanta-cli" >"$stage/ansible.log" 2>&1 \
  || { cat "$stage/ansible.log"; fail "the installed korvanta.adapter.info failed"; }

# As root: root may write the prefix, and the installed programs must not.
# The window program (started and left at once, and its screenshot tour) and
# the command line, run as root with a home of their own, leave every file
# under the prefix as it was, and the simulated adapter no work file in that home.
if [ "$(id -u)" -eq 0 ]; then
  roothome=$stage/roothome
  mkdir -p "$roothome"
  as_root=(env -i PATH=/usr/bin:/bin HOME="$roothome" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8)
  listing() { find "$prefix" -printf '%p %s %T@ %m %u\n' | sort; }
  listing >"$stage/prefix.before"
  "${as_root[@]}" "$prefix/bin/korvanta" --simulate --auto-port 1 --exit-after-start >"$stage/root.log" 2>&1 \
    || { cat "$stage/root.log"; fail "the installed korvanta failed to start and end as root"; }
  "${as_root[@]}" "$prefix/bin/korvanta" --screenshots "$roothome/shots" >"$stage/root.log" 2>&1 \
    || { cat "$stage/root.log"; fail "the installed korvanta --screenshots failed as root"; }
  "${as_root[@]}" "$prefix/bin/korvanta-cli" --simulate backup "$roothome/profile.ini" >"$stage/root.log" 2>&1 \
    || { cat "$stage/root.log"; fail "the installed korvanta-cli --simulate backup failed as root"; }
  listing >"$stage/prefix.after"
  diff "$stage/prefix.before" "$stage/prefix.after" >&2 || fail "run as root, the installed programs wrote under $prefix"
  [ -s "$roothome/profile.ini" ] || fail "run as root, no profile from korvanta-cli --simulate backup"
  [ ! -e "$roothome/.local/share/korvanta/mail.ini" ] || fail "run as root, the simulated adapter wrote root's work file"
  echo "installcheck: run as root, nothing was written under the prefix"
fi
echo "installcheck: the installed tree is sound (run as $user)"
