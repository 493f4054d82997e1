#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The collection with the real engine: ansible-playbook on this host against
# four simulated adapters (korvanta-sim), each on a pseudo-terminal of its own
# and each an inventory host, in two racks (groups rack1, rack2) of two, as
# the collection's README shows them. The third has the older firmware, which
# lacks the rings the profiles change (and a value of theirs), and logs its
# lines through the module's log option. Their command logs are read back
# after every run.
#
#   1. --check --diff: the diff names the changed keys on every adapter, the
#      third's too, whose task is changed (never skipped) and whose lacking
#      settings are warnings; every adapter is identified (info) and its
#      facts equal korvanta-cli get; the options workfile and log reached
#      korvanta-cli, and only queries reached the adapters.
#   2. the rollout, then a backup into a folder that does not exist yet:
#      each adapter changed and stored, the third with its warnings,
#      korvanta-cli diff finds it equal to the profile, the backup is the
#      profile byte for byte (the third's: its own settings with the
#      profile's changes it has); the settings survive the simulators' power
#      cycle (--state).
#   3. with --limit ta1, the rollout again and one setting: only ta1
#      receives lines, only queries for the rollout (ok), that setting's and
#      the store; then the setting with --limit rack1 and save_when always:
#      ta1, which has it, is ok and receives only the store, ta2 the setting
#      and the store, the other rack nothing.
#   4. another setting on all four, the fourth adapter's line lost while it
#      is sent: that task fails with how far it got and korvanta-cli's message
#      and status, and the other three are rolled back to their stored
#      settings before the change.
#
# What it needs: adapters.sh.
# shellcheck disable=SC2154,SC2034 # work, playbook, port, sims, entry: from adapters.sh
# shellcheck disable=SC2016 # the adapter's commands (AT$I11=6) hold a "$"
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=adapters.sh
. "$here/adapters.sh"
names=(ta1 ta2 ta3 ta4)
older='Ver 1.20 99/11/30'
entry[ta3]=", korvanta_firmware: '$older', korvanta_log: '$work/ta3.cli.log'"

# ansible-playbook with the inventory, its output in $work/$1.out.
run() {
  local out=$work/$1.out; shift
  "$playbook" -i "$work/inventory.yml" -e korvanta_backup_dir="$work/backups/new" "$@" >"$out" 2>&1 || true
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
# The four simulators, the third with the older firmware, and the inventory.
start_all() {
  start ta1; start ta2; start ta3 --old-firmware; start ta4
  inventory
}
# What the older firmware's adapter shows in the output of run $1: a task
# changed and never skipped, and its lacking settings as warnings.
lacking_shown() {
  local out=$work/$1.out
  grep -q "^changed: \[ta3\]" "$out" || { cat "$out"; fail "$1: ta3 is not changed"; }
  ! grep -qE "^skipping: |skipped=[1-9]" "$out" || { cat "$out"; fail "$1: a task shows as skipped"; }
  grep -q "^\[WARNING\]: \[TEL1\] RING not sent: the adapter's firmware lacks the setting" "$out" \
    || { cat "$out"; fail "$1: the lacking settings are no warnings"; }
}
# korvanta-cli diff of adapter $1 against profile $2: its status.
differs() {
  local status=0
  korvanta-cli --port "${port[$1]}" --workfile "$work/$1.ini" diff "$2" >"$work/diff.out" 2>&1 || status=$?
  echo $status
}

make_profiles
start_all
# The older firmware's settings with the profile's changes it has.
korvanta-cli --port "${port[ta3]}" --workfile "$work/ta3.ini" backup - 2>/dev/null \
  | sed -e 's/^TOKI=0$/TOKI=1/' >"$work/ta3.expected"
grep -qx "FIRMWARE=$older" "$work/ta3.expected" || fail "ta3 has not the older firmware"

# 1. Check mode with --diff, the adapters identified and their facts.
run check korvanta.adapter.rollout "$here/info.yml" -e korvanta_profile="$work/office.ini" --check --diff
expect_recap check changed 1 "${names[@]}"
expect_recap check failed 0 "${names[@]}"
# Each line the value, then its meaning where korvanta-cli gives one; a
# setting all four take, in the diff of each.
for line in '-\[TEL1\] RING=1' '\+\[TEL1\] RING=2' '\+\[TEL3\] TOKI=1'; do
  grep -qE -- "^$line( |\$)" "$work/check.out" || { cat "$work/check.out"; fail "the diff does not show $line"; }
done
[ "$(grep -cE '^\+\[TEL3\] TOKI=1( |$)' "$work/check.out")" = 4 ] || { cat "$work/check.out"; fail "a diff is missing"; }
lacking_shown check
for name in ta1 ta2; do
  [ -s "$work/$name.ini" ] || fail "korvanta-cli did not use the work file of $name"
done
grep -q 'AT' "$work/ta3.cli.log" || fail "korvanta-cli did not log to the file of ta3"
for name in "${names[@]}"; do
  [ -z "$(sent "$name")" ] || fail "check mode sent to $name: $(sent "$name")"
done

# 2. The rollout and a backup.
clear_logs
run real korvanta.adapter.rollout korvanta.adapter.backup -e korvanta_profile="$work/office.ini"
expect_recap real changed 2 "${names[@]}"
expect_recap real failed 0 "${names[@]}"
lacking_shown real
for name in "${names[@]}"; do
  expected=$work/office.ini
  [ "$name" != ta3 ] || expected=$work/ta3.expected
  [ "$(sent "$name" | tail -n1)" = 'AT&W0&W1' ] || fail "the rollout did not end with the store on $name"
  [ "$(differs "$name" "$work/office.ini")" = 0 ] || fail "$name does not hold the profile after the rollout"
  cmp -s "$work/backups/new/$name.ini" "$expected" || fail "the backup of $name is not the profile"
  [ "$(stat -c %a "$work/backups/new/$name.ini")" = 600 ] || fail "the backup of $name is not mode 600"
done
stop_all
start_all
for name in "${names[@]}"; do
  [ "$(differs "$name" "$work/office.ini")" = 0 ] || { cat "$work/diff.out"; fail "$name lost the profile in a power cycle"; }
done

# The lines each adapter received (besides queries) are $2..., one a line;
# "" for none. $1 names the run.
expect_sent() {
  local run=$1 name; shift
  for name in "${names[@]}"; do
    local expected=${1-}; shift || true
    [ "$(sent "$name" | paste -sd' ')" = "$expected" ] \
      || { cat "$work/$run.out"; fail "$run: $name received '$(sent "$name" | paste -sd' ')', not '$expected'"; }
  done
}
# settings RUN NAME=VALUE [ansible-playbook arguments]: the settings playbook,
# after those the arguments name.
settings() {
  local run=$1 setting=$2; shift 2
  clear_logs
  run "$run" "$@" korvanta.adapter.settings -e "{\"korvanta_settings\": {\"${setting%%=*}\": \"${setting#*=}\"}}"
}

# 3. The rollout again, then one setting, on one adapter: ta1, which holds
# the profile, receives only queries for it, then the setting and the store;
# the others nothing. Then the setting on one rack, storing always: ta1,
# which has it, is ok and receives only the store.
settings limit TEL1.HASHIN=6 --limit ta1 -e korvanta_profile="$work/office.ini" korvanta.adapter.rollout
expect_recap limit changed 1 ta1
expect_sent limit 'AT$I11=6 AT&W0&W1' '' '' ''
settings rack 'TEL1.HASHIN=6 s' --limit rack1 -e korvanta_save_when=always
expect_recap rack changed 0 ta1
expect_recap rack changed 1 ta2
expect_sent rack 'AT&W0&W1' 'AT$I11=6 AT&W0&W1' '' ''

# 4. Another setting, the fourth adapter's line lost while it is sent: the
# batch is rolled back to the stored settings before it.
kill "${sims[3]}"; wait "${sims[3]}" 2>/dev/null || true
start ta4 --drop-after 1 --drop-on "AT\$I13=*"
inventory
for name in "${names[@]}"; do cp "$work/$name.state" "$work/$name.state.before"; done
settings lost TEL3.HASHIN=5
expect_recap lost changed 2 ta1 ta2 ta3
expect_recap lost failed 0 ta1 ta2 ta3
expect_recap lost failed 1 ta4
fatal=$(grep -E "^fatal: \[ta4\]: FAILED!" "$work/lost.out" | head -n1 || true)
for part in '"msg": "the change failed while writing: 0 of 1 change acknowledged, 1 sent without an answer; the store ' \
            "\\. korvanta-cli: ${port[ta4]}: " '"rc": 1' '"unanswered": \["TEL3.HASHIN"\]'; do
  grep -qE -- "$part" <<<"$fatal" || { cat "$work/lost.out"; fail "ta4 did not fail with how far it got, korvanta-cli's message and status"; }
done
for name in "${names[@]}"; do
  cmp -s "$work/$name.state" "$work/$name.state.before" || fail "$name does not hold its stored settings before the failed batch"
done
expect_sent lost 'AT$I13=5 AT&W0&W1 AT$I13=4 AT&W0&W1' 'AT$I13=5 AT&W0&W1 AT$I13=4 AT&W0&W1' \
  'AT$I13=5 AT&W0&W1 AT$I13=4 AT&W0&W1' 'AT$I13=5'
echo "rollout: check, diff and facts, rollout, backups, power cycle, --limit, settings, a lost line rolled back as expected"
