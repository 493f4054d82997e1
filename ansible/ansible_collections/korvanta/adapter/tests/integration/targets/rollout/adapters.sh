# SPDX-License-Identifier: GPL-3.0-or-later
# Simulated adapters for the collection's integration test and its benchmark
# (bench/ansible/): each korvanta-sim on a pseudo-terminal of its own, their
# files in the temporary folder $work (removed at exit), and the inventory of
# the racks they are in. Sourced.
#
# Needs korvanta-sim and korvanta-cli on the PATH, or in KORVANTA_BIN_DIR, and
# Ansible (ANSIBLE_PLAYBOOK, default /usr/bin/ansible-playbook: Debian's, with
# Debian's Python).
# shellcheck shell=bash
# shellcheck disable=SC2034 # playbook, port: for the scripts that source it
[ -n "${KORVANTA_BIN_DIR:-}" ] && PATH=$(realpath "$KORVANTA_BIN_DIR"):$PATH
playbook=${ANSIBLE_PLAYBOOK:-/usr/bin/ansible-playbook}

work=$(mktemp -d)
sims=()
cleanup() {
  [ ${#sims[@]} -gt 0 ] && kill "${sims[@]}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "${0##*/}: $*" >&2; exit 1; }

# Everything the programs write stays in the work folder: korvanta-cli's
# automatic backups, Ansible's temporary files.
export HOME=$work/home XDG_DATA_HOME=$work/data LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$HOME" "$XDG_DATA_HOME"
# The collection from this tree, unless ansible-test has put it elsewhere.
: "${ANSIBLE_COLLECTIONS_PATH:=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../../../../.." && pwd)}"
export ANSIBLE_COLLECTIONS_PATH ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_FORKS=4 \
       ANSIBLE_LOCAL_TEMP=$work/home/tmp ANSIBLE_REMOTE_TEMP=$work/home/tmp
cd "$work" || exit 1

declare -A port entry
names=() # the adapters, for inventory(): the sourcing script sets them

# Starts the simulator of adapter $1 with its stored settings and more
# options; its pseudo-terminal is port[$1].
start() {
  local name=$1; shift
  rm -f "$work/$name.out" # not the last run's port
  korvanta-sim --state "$work/$name.state" --log "$work/$name.log" "$@" >"$work/$name.out" 2>&1 &
  sims+=($!)
  local waited=0
  until [ -s "$work/$name.out" ]; do
    sleep 0.05; waited=$((waited + 1))
    [ $waited -lt 200 ] || fail "korvanta-sim of $name did not start"
  done
  port[$name]=$(head -n1 "$work/$name.out")
}
stop_all() {
  kill "${sims[@]}"
  wait "${sims[@]}" 2>/dev/null || true
  sims=()
}

# The adapters named in names, each an inventory host in the group
# korvanta_adapters, in racks (groups rack1, rack2, ...) of two; every rack
# is this host. Those of the first rack name a work file, the others use the
# one korvanta-cli keeps for their port; entry[NAME] adds host variables
# (", korvanta_log: PATH").
inventory() {
  {
    echo "korvanta_adapters:"
    echo "  vars: {ansible_connection: local, ansible_python_interpreter: /usr/bin/python3}"
    echo "  children:"
    for ((first = 0; first < ${#names[@]}; first += 2)); do
      echo "    rack$((first / 2 + 1)):"
      echo "      hosts:"
      for name in "${names[@]:first:2}"; do
        echo "        $name: {korvanta_port: '${port[$name]}'${entry[$name]:-}$([ "$first" -gt 0 ] || echo ", korvanta_workfile: '$work/$name.ini'")}"
      done
    done
  } >"$work/inventory.yml"
}

# The profiles office.ini and second.ini in $work: the simulator's own
# settings with a few changed (three settings of the telephone ports, the
# ring of TEL1), and the same with the ring of TEL2 changed too.
make_profiles() {
  korvanta-cli --simulate --workfile "$work/base.ini" backup "$work/base.profile" 2>/dev/null \
    || fail "korvanta-cli --simulate backup failed"
  sed -e 's/^TOKI=0$/TOKI=1/' -e '0,/^RING=1$/s//RING=2/' "$work/base.profile" >"$work/office.ini"
  awk '/^\[TEL2\]/ { tel2 = 1 } tel2 && /^RING=1$/ { $0 = "RING=0"; tel2 = 0 } { print }' \
    "$work/office.ini" >"$work/second.ini"
  ! cmp -s "$work/base.profile" "$work/office.ini" || fail "the profile changes nothing"
  ! cmp -s "$work/office.ini" "$work/second.ini" || fail "the second profile changes nothing"
}
