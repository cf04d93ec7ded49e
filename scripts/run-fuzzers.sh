#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz tree (default build-fuzz) for a
# bounded time (KEEL_FUZZ_SECONDS, 60 by default), as many at once as there
# are cores, starting from the seeds fuzz_seeds writes and the sample
# profile files. Prints each program's executions. A crash, a sanitizer
# report, a leak, an input slower than the time-out or memory beyond the
# limit fails the run; the input is kept in <tree>/fuzz-run/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-build-fuzz}
seconds=${KEEL_FUZZ_SECONDS:-60}
jobs=$(nproc)
run=$tree/fuzz-run
rm -rf "$run"
mkdir -p "$run/artifacts" "$run/logs"

"$tree/fuzz/fuzz_seeds" "$run/seeds"
cp sample/*.ini "$run/seeds/profilefile_fuzzer/"

export UBSAN_OPTIONS=print_stacktrace=1
fuzzers=()
for program in "$tree"/fuzz/*_fuzzer; do
  fuzzers+=("$(basename "$program")")
done

start() {
  local name=$1 dictionary=()
  [[ -f $run/seeds/$name.dict ]] && dictionary=(-dict="$run/seeds/$name.dict")
  mkdir -p "$run/corpus/$name"
  # New inputs go to the first folder; the seeds are only read.
  ( set +e
    "$tree/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "${dictionary[@]}" -artifact_prefix="$run/artifacts/$name-" \
      "$run/corpus/$name" "$run/seeds/$name" >"$run/logs/$name.log" 2>&1
    echo $? >"$run/logs/$name.rc" ) &
}

running=0
for name in "${fuzzers[@]}"; do
  if ((running == jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  start "$name"
  running=$((running + 1))
done
wait

failed=0
total=0
for name in "${fuzzers[@]}"; do
  log=$run/logs/$name.log
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  [[ -n $executions ]] || executions=$(sed -n 's/^#\([0-9]*\)[[:space:]]*DONE.*/\1/p' "$log" | tail -1)
  executions=${executions:-0}
  total=$((total + executions))
  rc=$(cat "$run/logs/$name.rc")
  if [[ $rc != 0 ]] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    echo "FUZZ FAILED $name (exit $rc, $executions executions): see $log and $run/artifacts"
    grep -E 'ERROR:|runtime error:|SUMMARY:|Test unit written' "$log" | head -20
    failed=1
  else
    echo "fuzz $name: $executions executions in ${seconds} s"
  fi
done
echo "fuzz total: $total executions"
exit $failed
