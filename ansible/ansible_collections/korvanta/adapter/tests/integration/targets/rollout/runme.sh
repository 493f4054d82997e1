#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The collection with the real engine: ansible-playbook on this host against
# four simulated adapters (korvanta-sim), each on a pseudo-terminal of its own,
# two racks of two in host variables, as the collection's README shows them.
# The third has the older firmware, which lacks the rings the profiles change
# (and a value of theirs), and logs its lines through the module's log option.
# Their command logs are read back after every run.
#
#   1. --check --diff: the diff names the changed keys on every adapter, the
#      third's too, whose task is changed (never skipped) and whose lacking
#      settings are warnings; every adapter is identified (info), the options
#      workfile and log reached korvanta-cli, and only queries reached the
#      adapters.
#   2. the rollout, then two backups: each adapter changed, the third with its
#      warnings, korvanta-cli diff finds it equal to the profile, the first
#      backup is the profile byte for byte (the third's: its own settings with
#      the profile's changes it has) and the second reports ok (changed=2 in
#      the recap); the settings survive the simulators' power cycle (--state).
#   3. the rollout again: changed=0 everywhere, nothing but queries and the
#      store sent.
#   4. another profile, changing only a ring: the third has nothing to do; the
#      fourth adapter's line is lost while it is sent: that task fails with
#      how far the restore got and korvanta-cli's message and status, the
#      other three are done.
#
# What it needs: adapters.sh.
# shellcheck disable=SC2154,SC2034 # work, playbook, port, sims, entry: from adapters.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=adapters.sh
. "$here/adapters.sh"
names=(ta1 ta2 ta3 ta4)
older='Ver 1.20 99/11/30'
entry[ta3]=", firmware: '$older', log: '$work/ta3.cli.log'"

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
# The four simulators, the third with the older firmware, and the inventory.
start_all() {
  start ta1; start ta2; start ta3 --old-firmware; start ta4
  inventory
}
# What the older firmware's adapter shows in the output of run $1: a task
# changed and never skipped, and its lacking settings as warnings.
lacking_shown() {
  local out=$work/$1.out
  grep -q "^changed: \[ta3 -> rack2\]" "$out" || { cat "$out"; fail "$1: ta3 is not changed"; }
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

# 1. Check mode with --diff, and the adapters identified.
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

# 2. The rollout and two backups.
clear_logs
run real korvanta.adapter.rollout korvanta.adapter.backup korvanta.adapter.backup \
  -e korvanta_profile="$work/office.ini"
expect_recap real changed 2 "${names[@]}"
expect_recap real failed 0 "${names[@]}"
lacking_shown real
for name in "${names[@]}"; do
  expected=$work/office.ini
  [ "$name" != ta3 ] || expected=$work/ta3.expected
  [ "$(sent "$name" | tail -n1)" = 'AT&W0&W1' ] || fail "the rollout did not end with the store on $name"
  [ "$(differs "$name" "$work/office.ini")" = 0 ] || fail "$name does not hold the profile after the rollout"
  cmp -s "$work/backups/$name.ini" "$expected" || fail "the backup of $name is not the profile"
  [ "$(stat -c %a "$work/backups/$name.ini")" = 600 ] || fail "the backup of $name is not mode 600"
done
stop_all
start_all
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

# 4. The second profile, its one change a ring the third adapter lacks; the
# fourth adapter's line is lost while that change is sent.
kill "${sims[3]}"; wait "${sims[3]}" 2>/dev/null || true
start ta4 --drop-after 1 --drop-on "AT\$W2=*"
inventory
run lost korvanta.adapter.rollout -e korvanta_profile="$work/second.ini"
expect_recap lost changed 1 ta1 ta2
expect_recap lost changed 0 ta3
expect_recap lost failed 0 ta1 ta2 ta3
expect_recap lost failed 1 ta4
fatal=$(grep -E "^fatal: \[ta4 -> rack2\]: FAILED!" "$work/lost.out" || true)
for part in '"msg": "the restore failed while writing: 0 of 1 change acknowledged, 1 sent without an answer; the store ' \
            "\\. korvanta-cli: ${port[ta4]}: " '"rc": 1' '"unanswered": \["TEL2.RING"\]'; do
  grep -qE -- "$part" <<<"$fatal" || { cat "$work/lost.out"; fail "ta4 did not fail with how far it got, korvanta-cli's message and status"; }
done
for name in ta1 ta2 ta3; do
  [ "$(differs "$name" "$work/second.ini")" = 0 ] || fail "$name does not hold the second profile"
done
echo "rollout: check and diff, rollout, backups, power cycle, second run and a lost line as expected"
