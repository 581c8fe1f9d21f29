#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Builds the libFuzzer targets with clang (every library they link instrumented, see
# cmake/KvFuzz.cmake), checks that the instrumentation is there, then runs each target (or
# the named ones) for SECONDS (default 60) from its corpus under fuzz/corpus/. Inputs that
# add coverage are merged back into that corpus folder. Prints per target: runs, runs/s,
# coverage edges at start and end, corpus size, findings. A finding (crash, leak, time-out,
# out of memory) is kept under the build folder's fuzz-findings/ and makes the script fail.
#
# One target at a time, under nice: the machine is shared. KV_FUZZ_BUILD picks the build
# folder (default build-fuzz in the source tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS] [TARGET...]" >&2; exit 2 ;; esac
build=${KV_FUZZ_BUILD:-$root/build-fuzz}

bash "$root/scripts/deps.sh" fuzz

mkdir -p "$build"
nice -n 19 cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKV_FUZZ=ON -DKV_BENCH=OFF \
  >"$build/fuzz-configure.log" 2>&1 || { cat "$build/fuzz-configure.log"; exit 1; }

mapfile -t lines <"$build/fuzz_targets.txt"
declare -A corpus_of=()
all=()
for line in "${lines[@]}"; do
  [ -n "$line" ] || continue
  all+=("${line%% *}")
  corpus_of[${line%% *}]=${line#* }
done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  [ -n "${corpus_of[$t]:-}" ] || { echo "unknown fuzz target: $t (have: ${all[*]})" >&2; exit 2; }
done

nice -n 19 cmake --build "$build" -j 2 --target "${targets[@]}"
# A fuzzer whose libraries lost their counters only pretends to search.
ctest --test-dir "$build" -R '^fuzz_coverage_guards$' --output-on-failure

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
findings_dir="$build/fuzz-findings"
total_findings=0
printf '%-28s %10s %8s %9s %9s %7s %s\n' target runs runs/s edges0 edges1 corpus findings
for t in "${targets[@]}"; do
  corpus=${corpus_of[$t]}
  mkdir -p "$corpus" "$findings_dir/$t"
  rm -f "$findings_dir/$t"/crash-* "$findings_dir/$t"/leak-* "$findings_dir/$t"/timeout-* \
    "$findings_dir/$t"/oom-*
  fresh=$(mktemp -d)
  log="$findings_dir/$t/fuzz.log"
  # New inputs go to the fresh folder (the first one named); the saved corpus is read.
  set +e
  nice -n 19 "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings_dir/$t/" "$fresh" "$corpus" >"$log" 2>&1
  set -e
  nice -n 19 "$build/bin/$t" -merge=1 "$corpus" "$fresh" >"$findings_dir/$t/merge.log" 2>&1 || true
  rm -rf "$fresh"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  edges0=$(sed -n 's/.*INITED cov: \([0-9]*\).*/\1/p' "$log" | head -1)
  edges1=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' "$log" | tail -1)
  size=$(find "$corpus" -type f | wc -l)
  found=$(find "$findings_dir/$t" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  total_findings=$((total_findings + found))
  printf '%-28s %10s %8s %9s %9s %7s %s\n' "$t" "${runs:-?}" "${rate:-?}" "${edges0:-?}" \
    "${edges1:-?}" "$size" "$found"
done

if [ "$total_findings" -gt 0 ]; then
  echo "findings kept under $findings_dir (see each fuzz.log); fix the cause, then put the" >&2
  echo "input into the target's corpus folder as a regression case" >&2
  exit 1
fi
