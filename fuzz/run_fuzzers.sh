#!/usr/bin/env bash
# Runs the two fuzz targets for a total number of seconds (two thirds to the input data file,
# one third to names.dat), then prints executions per second, coverage and findings of each.
# Exits non-zero on any finding: a crash, a leak, a sanitizer report or an input over the time
# limit. Findings are kept in BUILD/findings; each one is to become a whole-run test case
# under tests/data/.
#   usage: run_fuzzers.sh BUILD_DIR SECONDS
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
total=${2:-60}
per_input_limit=25  # seconds; the run caps keep a legal input far below this

input_seconds=$((total * 2 / 3))
names_seconds=$((total - input_seconds))
[ "$input_seconds" -ge 1 ] || input_seconds=1
[ "$names_seconds" -ge 1 ] || names_seconds=1

# Seeds: every whole-run case and example, and the names.dat samples. The working corpora
# grow from run to run in the build folder.
mkdir -p "$build/seeds/input" "$build/corpus/input" "$build/corpus/names" "$build/findings"
for case in "$root"/tests/data/*/input.dat; do
  cp "$case" "$build/seeds/input/$(basename "$(dirname "$case")").dat"
done
cp "$root"/examples/*.dat "$build/seeds/input/"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

summarize() {
  local name=$1 log=$2 status=$3
  local runs rate cov edges corpus
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o ' cov: [0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  edges=$(grep -o 'Loaded 1 modules *([0-9]* inline 8-bit counters' "$log" | grep -o '([0-9]*' |
          tr -d '(' | tail -1)
  corpus=$(find "$build/corpus/$name" -type f | wc -l)
  local outcome="no finding"
  [ "$status" -eq 0 ] || outcome="FINDING (exit $status), see $log and $build/findings"
  echo "fuzz_$name: ${runs:-?} runs, ${rate:-?} exec/s, coverage ${cov:-?} of ${edges:-?} edges," \
       "corpus $corpus inputs: $outcome"
}

run_target() {
  local name=$1 seconds=$2 seeds=$3
  local log="$build/fuzz_$name.log"
  "$build/fuzz_$name" -max_total_time="$seconds" -timeout="$per_input_limit" \
    -rss_limit_mb=2048 -max_len=8192 -dict="$root/fuzz/scarpex.dict" -print_final_stats=1 \
    -artifact_prefix="$build/findings/$name-" "$build/corpus/$name" "$seeds" >"$log" 2>&1
  local status=$?
  if [ "$status" -ne 0 ]; then tail -n 60 "$log"; fi
  summarize "$name" "$log" "$status"
  return "$status"
}

failed=0
run_target input "$input_seconds" "$build/seeds/input" || failed=1
run_target names "$names_seconds" "$root/fuzz/seeds/names" || failed=1
exit $failed
