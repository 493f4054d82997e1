#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer programs (the project configured with clang and
# KORVANTA_FUZZ; only the programs and the libraries they link) and runs them
# one after another, each for SECONDS (default 60), then prints executions,
# corpus size, coverage and findings per target. Inputs that crash land in
# BUILD/fuzz/artifacts/<target>/.
#
#   fuzz/run.sh [--merge] [SECONDS] [TARGET...]
#
# Each run starts from the committed corpus in fuzz/corpus/<target> and the
# regression inputs in tests/fuzzregress/inputs/<target>, and grows
# BUILD/fuzz/corpus/<target>. --merge then writes back the seeds (the files
# with names) and, of everything found, the fewest inputs that reach every
# edge the rest reaches (libFuzzer's -merge=1, edges without hit counts).
# SECONDS 0 only merges. BUILD is build-fuzz (optimised, -O1), or
# KORVANTA_FUZZ_BUILD_DIR: build-sanitize, the test command's, has them too.
# Each program takes inputs up to its MAX_LEN (fuzz/CMakeLists.txt), long
# ones from the start (-len_control=0).
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [ "${1:-}" = --merge ]; then merge=1; shift; fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${KORVANTA_FUZZ_BUILD_DIR:-build-fuzz}

# clang with the libFuzzer runtime (scripts/setup.sh installs them).
probe='extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }'
if ! echo "$probe" | clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  scripts/setup.sh
fi

optimise=()
[ -f "$build/CMakeCache.txt" ] || optimise=("-DKORVANTA_SANITIZE_OPTIMIZE=-O1;-gline-tables-only")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DKORVANTA_FUZZ=ON \
      "${optimise[@]}" >/dev/null
mkdir -p "$build/fuzz"
cmake --build "$build" --target korvanta_fuzz -- -j"$(nproc)" >"$build/fuzz/build.log" 2>&1 ||
  { tail -40 "$build/fuzz/build.log"; exit 1; }

# "NAME MAX_LEN PROGRAM", one line per target.
declare -A max_len program
all=()
while read -r name length path; do
  all+=("$name"); max_len[$name]=$length; program[$name]=$path
done <"$build/fuzz/targets.txt"
targets=("${@:-${all[@]}}")
out="$build/fuzz"

results=()
for t in "${targets[@]}"; do
  [ -n "${program[$t]:-}" ] || { echo "no fuzz target $t" >&2; exit 2; }
  work="$out/corpus/$t"
  artifacts="$out/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  seeds=("fuzz/corpus/$t")
  [ -d "tests/fuzzregress/inputs/$t" ] && seeds+=("tests/fuzzregress/inputs/$t")
  log="$out/fuzz_$t.log"
  echo "== $t: ${seconds}s" >&2
  status=0
  if [ "$seconds" -gt 0 ]; then
    "${program[$t]}" "$work" "${seeds[@]}" -max_total_time="$seconds" -max_len="${max_len[$t]}" -len_control=0 \
      -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  crashes=$(find "$artifacts" -type f | wc -l)
  if [ "$merge" = 1 ]; then
    minimised="$out/merged/$t"
    rm -rf "$minimised"; mkdir -p "$minimised"
    find "fuzz/corpus/$t" -regextype posix-extended -type f ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$minimised" \;
    "${program[$t]}" -merge=1 -use_counters=0 -max_len="${max_len[$t]}" -artifact_prefix="$artifacts/" \
      "$minimised" "fuzz/corpus/$t" "$work" \
      >"$out/merge_$t.log" 2>&1
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
