#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Ansible collection on four adapters against one: the rollout of a
# profile (korvanta.adapter.rollout, four settings changed) and one setting
# changed (korvanta.adapter.settings, TEL1.HASHIN), each adapter an inventory
# host with a korvanta-sim paced at 19200 bit/s, as shipped (started afresh
# for every pass); and the bare korvanta-cli restore and set on one adapter.
# Ansible's forks do the four side by side, so the four take hardly longer
# than one.
#
#   KORVANTA_BIN_DIR=build/bin nice -n -10 bench/ansible/fleet.sh [RUNS]
#
# Prints the min / median / max of RUNS passes (default 5) in seconds, and
# the ratios of the medians; four adapters should take no more than 1.3
# times one adapter.
# shellcheck disable=SC1091,SC2154 # work, playbook, port: from adapters.sh
set -euo pipefail
runs=${1:-5}
targets=$(cd "$(dirname "$0")/../../ansible/ansible_collections/korvanta/adapter/tests/integration/targets" && pwd)
. "$targets/rollout/adapters.sh"

make_profiles
seconds() { date +%s.%N; }
since() { awk -v from="$1" -v to="$(seconds)" 'BEGIN { printf "%.3f", to - from }'; }
declare -A taken
setting='{"korvanta_settings": {"TEL1.HASHIN": "6 s"}}'

# timed KIND COUNT COMMAND...: COMMAND against COUNT adapters as shipped,
# its time added to taken[KIND]; it must have changed ta1.
timed() {
  local kind=$1 count=$2; shift 2
  names=(ta1 ta2 ta3 ta4)
  names=("${names[@]:0:count}")
  rm -f "$work"/ta?.state "$work"/ta?.ini
  for name in "${names[@]}"; do start "$name" --paced; done
  inventory
  local begin
  begin=$(seconds)
  "$@" >"$work/timed.out" 2>&1 || { cat "$work/timed.out"; fail "$kind failed"; }
  taken[$kind]+="$(since "$begin") "
  stop_all
}
changed_ta1() {
  grep -q "^ta1 .* changed=1 " "$work/timed.out" || { cat "$work/timed.out"; fail "ta1 was not changed"; }
}
cli() { korvanta-cli --port "${port[ta1]}" --workfile "$work/ta1.ini" "$@"; }
playbook() { "$playbook" -i "$work/inventory.yml" "$@" && changed_ta1; }

for ((run = 0; run < runs; run++)); do
  timed restore 1 cli restore "$work/office.ini"
  timed set 1 cli set "TEL1.HASHIN=6 s"
  for count in 1 4; do
    timed "rollout$count" "$count" playbook korvanta.adapter.rollout -e korvanta_profile="$work/office.ini"
    timed "settings$count" "$count" playbook korvanta.adapter.settings -e "$setting"
  done
done

# min / median / max of the numbers in $1.
summary() {
  tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f %.2f %.2f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
median() { summary "${taken[$1]}" | cut -d' ' -f2; }
echo "korvanta.adapter against korvanta-sim --paced (19200 bit/s), $runs runs: min / median / max, s"
for kind in restore rollout1 rollout4 set settings1 settings4; do
  printf '  %-10s %s\n' "$kind" "$(summary "${taken[$kind]}")"
done
awk -v r4="$(median rollout4)" -v r1="$(median rollout1)" -v restore="$(median restore)" \
    -v s4="$(median settings4)" -v s1="$(median settings1)" -v set="$(median set)" 'BEGIN {
  printf "  rollout, four adapters / one: %.2f (target <= 1.3); four / one korvanta-cli restore: %.2f\n", r4 / r1, r4 / restore
  printf "  one setting, four adapters / one: %.2f (target <= 1.3); four / one korvanta-cli set: %.2f\n", s4 / s1, s4 / set }'
