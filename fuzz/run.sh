#!/usr/bin/env bash
# Builds the fuzz targets and runs each one for SECONDS (default 60) from the
# seed corpus and the inputs kept in fuzz/regressions/, with the format's
# dictionary. Any crash, leak, sanitizer report or failed invariant stops the
# run with a non-zero status; the input that found it is left in
# build/fuzz/artifacts/ to be added to fuzz/regressions/<target>/.
#
#   fuzz/run.sh [SECONDS] [TARGET...]     targets: directory extraction
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(directory extraction); fi

cmake --workflow --preset fuzz
build=$PWD/build/fuzz

total=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  inputs=("$corpus" "$build/fuzz/seeds")
  if [ -d "fuzz/regressions/$target" ]; then inputs+=("$PWD/fuzz/regressions/$target"); fi
  log=$build/$target.log
  echo "== fuzzing $target for ${seconds}s"
  status=0
  "$build/fuzz/orvex_${target}_fuzzer" -max_total_time="$seconds" -dict="$PWD/fuzz/dat.dict" \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${inputs[@]}" 2>"$log" || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ *DONE)' "$log" || true
  if [ $status -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzzing $target failed; the input is in $artifacts/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  total=$((total + ${runs:-0}))
done
echo "executions in all: $total"
