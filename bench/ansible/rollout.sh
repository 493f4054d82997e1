#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Ansible collection's rollout (korvanta.adapter.rollout) of a profile onto
# four adapters, against one adapter and against one korvanta-cli restore:
# every adapter a korvanta-sim paced at 19200 bit/s, as shipped (started
# afresh for every pass), the profile changing four settings. Ansible's forks
# do the four side by side, so the four take hardly longer than one.
#
#   KORVANTA_BIN_DIR=build/bin nice -n -10 bench/ansible/rollout.sh [RUNS]
#
# Prints the min / median / max of RUNS passes (default 5) in seconds, and
# the ratios of the medians; the four-adapter rollout should take no more
# than 1.3 times the one-adapter rollout.
# shellcheck disable=SC1091,SC2154 # work, playbook, port: from adapters.sh
set -euo pipefail
runs=${1:-5}
targets=$(cd "$(dirname "$0")/../../ansible/ansible_collections/korvanta/adapter/tests/integration/targets" && pwd)
. "$targets/rollout/adapters.sh"

make_profiles
seconds() { date +%s.%N; }
since() { awk -v from="$1" -v to="$(seconds)" 'BEGIN { printf "%.3f", to - from }'; }
declare -A taken

# One pass of each: adapters as shipped, then the timed run.
for ((run = 0; run < runs; run++)); do
  names=(ta1)
  rm -f "$work"/ta?.state
  start ta1 --paced
  begin=$(seconds)
  korvanta-cli --port "${port[ta1]}" --workfile "$work/ta1.ini" restore "$work/office.ini" >/dev/null 2>&1 \
    || fail "korvanta-cli restore failed"
  taken[restore]+="$(since "$begin") "
  stop_all

  for count in 1 4; do
    names=(ta1 ta2 ta3 ta4)
    names=("${names[@]:0:count}")
    rm -f "$work"/ta?.state
    for name in "${names[@]}"; do start "$name" --paced; done
    inventory
    begin=$(seconds)
    "$playbook" -i "$work/inventory.yml" korvanta.adapter.rollout -e korvanta_profile="$work/office.ini" \
      >"$work/rollout.out" 2>&1 || { cat "$work/rollout.out"; fail "the rollout failed"; }
    taken[rollout$count]+="$(since "$begin") "
    grep -q "^ta1 .* changed=1 " "$work/rollout.out" || { cat "$work/rollout.out"; fail "the rollout changed nothing"; }
    stop_all
  done
done

# min / median / max of the numbers in $1.
summary() {
  tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f %.2f %.2f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
median() { summary "$1" | cut -d' ' -f2; }
echo "korvanta.adapter.rollout against korvanta-sim --paced (19200 bit/s), $runs runs: min / median / max, s"
printf '  %-40s %s\n' "korvanta-cli restore, one adapter" "$(summary "${taken[restore]}")" \
  "ansible-playbook rollout, one adapter" "$(summary "${taken[rollout1]}")" \
  "ansible-playbook rollout, four adapters" "$(summary "${taken[rollout4]}")"
awk -v four="$(median "${taken[rollout4]}")" -v one="$(median "${taken[rollout1]}")" \
    -v restore="$(median "${taken[restore]}")" 'BEGIN {
  printf "  four adapters / one adapter: %.2f (target <= 1.3); four adapters / one korvanta-cli restore: %.2f\n",
         four / one, four / restore }'
