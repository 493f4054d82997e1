#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer programs with clang and runs them one after another,
# each for SECONDS (default 60), then prints executions, corpus size and
# coverage per target. Inputs that crash land in BUILD/artifacts/<target>/.
#
#   fuzz/run.sh [--merge] [SECONDS] [TARGET...]
#
# Each run starts from the committed corpus in fuzz/corpus/<target> and grows
# BUILD/corpus/<target>. --merge then writes back the seeds (the files with
# names) and, of everything found, the fewest inputs that reach every edge the
# rest reaches (libFuzzer's -merge=1, edges without hit counts). SECONDS 0
# only merges. BUILD is build-fuzz, or KORVANTA_FUZZ_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [ "${1:-}" = --merge ]; then merge=1; shift; fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
all=(tel_listing data_listing three_digit register directory firmware sim_command profile)
targets=("${@:-${all[@]}}")
build=${KORVANTA_FUZZ_BUILD_DIR:-build-fuzz}

# clang with the libFuzzer runtime (Debian: clang, libclang-rt-14-dev).
probe='extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }'
if ! echo "$probe" | clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  KORVANTA_FUZZ=ON scripts/setup.sh
fi

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -- -j"$(nproc)" >"$build/build.log" 2>&1 || { tail -40 "$build/build.log"; exit 1; }

# The longest input worth trying: a little beyond the window each reply is cut to.
max_len() {
  case $1 in
    directory) echo 2112 ;;
    sim_command) echo 2048 ;;
    firmware) echo 600 ;;
    *) echo 320 ;;
  esac
}

results=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  log="$build/fuzz_$t.log"
  echo "== $t: ${seconds}s" >&2
  status=0
  if [ "$seconds" -gt 0 ]; then
    "$build/fuzz_$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" \
      -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  crashes=$(find "$artifacts" -type f | wc -l)
  if [ "$merge" = 1 ]; then
    minimised="$build/merged/$t"
    rm -rf "$minimised"; mkdir -p "$minimised"
    find "fuzz/corpus/$t" -regextype posix-extended -type f ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$minimised" \;
    "$build/fuzz_$t" -merge=1 -use_counters=0 -max_len="$(max_len "$t")" "$minimised" "fuzz/corpus/$t" "$work" \
      >"$build/merge_$t.log" 2>&1
    rm -rf "fuzz/corpus/$t"; cp -r "$minimised" "fuzz/corpus/$t"
  fi
  corpus=$(find "$work" -type f | wc -l)
  kept=$(find "fuzz/corpus/$t" -type f | wc -l)
  [ "$status" = 0 ] || tail -30 "$log" >&2
  results+=("$(printf '| %s | %s | %s | %s | %s | %s | %s | %s |' \
    "$t" "$seconds" "${execs:-?}" "${rate:-?}" "$corpus" "$kept" "${cov:-?}" "$crashes")")
done

echo "| target | seconds | executions | exec/s | corpus | kept | edges | crashes |"
echo "|---|---|---|---|---|---|---|---|"
printf '%s\n' "${results[@]}"
