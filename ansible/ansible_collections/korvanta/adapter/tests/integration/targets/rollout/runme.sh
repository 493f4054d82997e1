#!/usr/bin/env bash
# The collection with the real engine: ansible-playbook on this host against
# four simulated adapters (korvanta-sim), each on a pseudo-terminal of its own,
# two racks of two in host variables, as the collection's README shows them.
# Their command logs are read back after every run.
#
#   1. --check --diff: the diff names the changed keys, every adapter is
#      identified (info), and only queries reached the adapters.
#   2. the rollout, then two backups: each adapter changed, korvanta-cli diff
#      finds it equal to the profile, the first backup is the profile byte for
#      byte and the second reports ok (changed=2 in the recap); the settings
#      survive the simulators' power cycle (--state).
#   3. the rollout again: changed=0 everywhere, nothing but queries and the
#      store sent.
#   4. another profile, the fourth adapter's line lost while it is sent: that
#      task fails with korvanta-cli's message and status, the other three are
#      done.
#
# Needs korvanta-sim and korvanta-cli on the PATH, or in KORVANTA_BIN_DIR, and
# Ansible (ANSIBLE_PLAYBOOK, default /usr/bin/ansible-playbook: Debian's, with
# Debian's Python).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${KORVANTA_BIN_DIR:-}" ] && PATH=$KORVANTA_BIN_DIR:$PATH
playbook=${ANSIBLE_PLAYBOOK:-/usr/bin/ansible-playbook}

work=$(mktemp -d)
sims=()
cleanup() {
  [ ${#sims[@]} -gt 0 ] && kill "${sims[@]}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "rollout: $*" >&2; exit 1; }

# Everything the programs write stays in the work folder: korvanta-cli's
# automatic backups, Ansible's temporary files.
export HOME=$work/home XDG_DATA_HOME=$work/data LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$HOME" "$XDG_DATA_HOME" "$work/backups"
# The collection from this tree, unless ansible-test has put it elsewhere.
: "${ANSIBLE_COLLECTIONS_PATH:=$(cd "$here/../../../../../../.." && pwd)}"
export ANSIBLE_COLLECTIONS_PATH ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_FORKS=4 \
       ANSIBLE_LOCAL_TEMP=$work/home/tmp ANSIBLE_REMOTE_TEMP=$work/home/tmp
cd "$work"

names=(ta1 ta2 ta3 ta4)
declare -A port

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

# Two racks, two adapters each, in host variables; both racks are this host.
inventory() {
  {
    echo "racks:"
    echo "  vars: {ansible_connection: local, ansible_python_interpreter: /usr/bin/python3}"
    echo "  hosts:"
    for rack in 1 2; do
      echo "    rack$rack:"
      echo "      korvanta_adapters:"
      for name in "${names[@]:$(((rack - 1) * 2)):2}"; do
        echo "        - {name: $name, port: '${port[$name]}', workfile: '$work/$name.ini'}"
      done
    done
  } >"$work/inventory.yml"
}

# ansible-playbook with the inventory, its output in $work/$1.out.
run() {
  local out=$work/$1.out; shift
  "$playbook" -i "$work/inventory.yml" -e korvanta_backup_dir="$work/backups" "$@" >"$out" 2>&1 || true
}
# The number FIELD (changed, failed, ok) of HOST in the play recap of a run
# (the last: each playbook of a run prints the run's so far).
recap() {
  sed -nE "s/^$2 +:.* $3=([0-9]+).*/\1/p" "$work/$1.out" | tail -n1
}
expect_recap() {
  local output=$1 field=$2 value=$3; shift 3
  for host in "$@"; do
    [ "$(recap "$output" "$host" "$field")" = "$value" ] \
      || { cat "$work/$output.out"; fail "$output: $host has not $field=$value in the recap"; }
  done
}
# The lines an adapter received that are neither identification nor query.
sent() {
  grep -vE '^(ATE1V1|ATI|AT%I2|AT\\S[0-9]+|AT.*\?)$' "$work/$1.log" || true
}
clear_logs() {
  for name in "${names[@]}"; do : >"$work/$name.log"; done
}
# korvanta-cli diff of adapter $1 against profile $2: its status.
differs() {
  local status=0
  korvanta-cli --port "${port[$1]}" --workfile "$work/$1.ini" diff "$2" >"$work/diff.out" 2>&1 || status=$?
  echo $status
}

# The profiles: the simulator's own settings with a few changed (three
# settings of the telephone ports, the ring of TEL1), and a second one with
# the ring of TEL2 changed too.
korvanta-cli --simulate --workfile "$work/base.ini" backup "$work/base.profile" 2>/dev/null \
  || fail "korvanta-cli --simulate backup failed"
sed -e 's/^TOKI=0$/TOKI=1/' -e '0,/^RING=1$/s//RING=2/' "$work/base.profile" >"$work/office.ini"
awk '/^\[TEL2\]/ { tel2 = 1 } tel2 && /^RING=1$/ { $0 = "RING=0"; tel2 = 0 } { print }' \
  "$work/office.ini" >"$work/second.ini"
cmp -s "$work/base.profile" "$work/office.ini" && fail "the profile changes nothing"
cmp -s "$work/office.ini" "$work/second.ini" && fail "the second profile changes nothing"

for name in "${names[@]}"; do start "$name"; done
inventory

# 1. Check mode with --diff, and the adapters identified.
run check korvanta.adapter.rollout "$here/info.yml" -e korvanta_profile="$work/office.ini" --check --diff
expect_recap check changed 1 "${names[@]}"
expect_recap check failed 0 "${names[@]}"
for line in '-[TEL1] RING=1' '+[TEL1] RING=2' '+[TEL3] TOKI=1'; do
  grep -qxF -- "$line" "$work/check.out" || { cat "$work/check.out"; fail "the diff does not show $line"; }
done
for name in "${names[@]}"; do
  [ -z "$(sent "$name")" ] || fail "check mode sent to $name: $(sent "$name")"
done

# 2. The rollout and two backups.
clear_logs
run real korvanta.adapter.rollout korvanta.adapter.backup korvanta.adapter.backup \
  -e korvanta_profile="$work/office.ini"
expect_recap real changed 2 "${names[@]}"
expect_recap real failed 0 "${names[@]}"
for name in "${names[@]}"; do
  [ "$(sent "$name" | tail -n1)" = 'AT&W0&W1' ] || fail "the rollout did not end with the store on $name"
  [ "$(differs "$name" "$work/office.ini")" = 0 ] || fail "$name does not hold the profile after the rollout"
  cmp -s "$work/backups/$name.ini" "$work/office.ini" || fail "the backup of $name is not the profile"
  [ "$(stat -c %a "$work/backups/$name.ini")" = 600 ] || fail "the backup of $name is not mode 600"
done
stop_all
for name in "${names[@]}"; do start "$name"; done
inventory
for name in "${names[@]}"; do
  [ "$(differs "$name" "$work/office.ini")" = 0 ] || { cat "$work/diff.out"; fail "$name lost the profile in a power cycle"; }
done

# 3. The same again: nothing to do.
clear_logs
run again korvanta.adapter.rollout -e korvanta_profile="$work/office.ini"
expect_recap again changed 0 "${names[@]}"
expect_recap again failed 0 "${names[@]}"
for name in "${names[@]}"; do
  [ "$(sent "$name")" = 'AT&W0&W1' ] || fail "the second run sent to $name: $(sent "$name")"
done

# 4. The fourth adapter's line is lost while the second profile is sent.
kill "${sims[3]}"; wait "${sims[3]}" 2>/dev/null || true
start ta4 --drop-after 1 --drop-on "AT\$W2=*"
inventory
run lost korvanta.adapter.rollout -e korvanta_profile="$work/second.ini"
expect_recap lost changed 1 ta1 ta2 ta3
expect_recap lost failed 0 ta1 ta2 ta3
expect_recap lost failed 1 ta4
grep -E "^fatal: \[ta4 -> rack2\]: FAILED!.*\"msg\": \"korvanta-cli: ${port[ta4]}: .*\"rc\": 1" "$work/lost.out" >/dev/null \
  || { cat "$work/lost.out"; fail "ta4 did not fail with korvanta-cli's message and status"; }
for name in ta1 ta2 ta3; do
  [ "$(differs "$name" "$work/second.ini")" = 0 ] || fail "$name does not hold the second profile"
done
echo "rollout: check and diff, rollout, backups, power cycle, second run and a lost line as expected"
