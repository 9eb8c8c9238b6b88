#!/usr/bin/env bash
# Times orvex against GNU tar, bsdtar, Info-ZIP unzip, 7-Zip, a plain copy of
# the same bytes, the floor (a program that only creates and fills the same
# files from memory) and the one-piece limit (the least an extractor moving
# each entry in one piece can do), and measures start-up.
#
#   bench/run.sh [startup] [W1 W2 W3 W4 W5 W6]     (default: all of them)
#   bench/run.sh clean                             (removes every run's outputs)
#
# Builds the `bench` preset (a Release orvex, the workload generator, the
# floor, the one-piece limit and the start-up variants), generates each
# workload once (archives, the files they must produce, an uncompressed tar,
# a stored zip and the bytes in one file for the copy; kept in
# build/bench-data between runs), checks that every tool writes exactly the
# expected files, then times them with bench/bench.py (its header says how).
# Results: build/bench-results/<date>/results.md, results.tsv and chart.svg.
#
# ORVEX_BENCH_ROUNDS sets the counted rounds (default 7), ORVEX_BENCH_TOUCH_MIB
# the huge pages touched before each run (default 512), ORVEX_BENCH_DIR the
# data folder (default build/bench-data). ORVEX_BENCH_VARIANTS="NAME=PATH ..."
# names other builds of orvex: then only orvex and those take turns, and each
# one's time over orvex's is reported (start-up is not timed). Outputs of
# small-file workloads stay in build/bench-data/runs until `bench/run.sh
# clean`: ext4 creates files slowly for minutes after mass deletions, which
# would slow the next run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
data=${ORVEX_BENCH_DIR:-$root/build/bench-data}
rounds=${ORVEX_BENCH_ROUNDS:-7}
touch_mib=${ORVEX_BENCH_TOUCH_MIB:-512}

if [ "${1:-}" = clean ]; then
  rm -rf "$data/runs"
  exit 0
fi
workloads=("$@")
[ ${#workloads[@]} -gt 0 ] || workloads=(startup W1 W2 W3 W4 W5 W6)
for name in "${workloads[@]}"; do
  case $name in
    startup | W[1-6]) ;;
    *) echo "unknown workload $name (startup, W1 ... W6)" >&2; exit 2 ;;
  esac
done

packages="cmake g++ ninja-build tar libarchive-tools unzip zip 7zip gnuplot-nox python3"
for tool in cmake g++ ninja tar bsdtar unzip zip 7zz gnuplot python3; do
  command -v "$tool" >/dev/null || {
    echo "missing $tool: apt-get install -y $packages" >&2
    exit 1
  }
done

cmake --preset bench >/dev/null
cmake --build --preset bench | tail -1
build=$root/build/bench
generate=$build/bench/orvex_make_workload

# The generator's sources decide the workloads' bytes: data made by another
# version is made again.
stamp=$(cat "$root/bench/workloads.h" "$root/bench/make_workload.cpp" | sha256sum | cut -c1-16)

prepare_workload() {
  local name=$1 dir=$data/$1
  [ "$(cat "$dir/stamp" 2>/dev/null)" = "$stamp" ] && return
  echo "== $name: generating" >&2
  rm -rf "$dir"
  "$generate" "$name" "$dir"
  mkdir "$dir/tar" "$dir/zip" "$dir/bin"
  local folder label
  for folder in "$dir"/expected/*; do
    label=$(basename "$folder")
    (
      cd "$folder"
      ls -1 | LC_ALL=C sort >../"$label".names
      tar -cf "$dir/tar/$label.tar" -T ../"$label".names
      zip -q -0 -X "$dir/zip/$label.zip" -@ <../"$label".names
      xargs cat <../"$label".names >"$dir/bin/$label.bin"
    )
  done
  echo "$stamp" >"$dir/stamp"
}

mkdir -p "$data"
for name in "${workloads[@]}"; do
  [ "$name" = startup ] || prepare_workload "$name"
done

if [ -d "$data/runs" ]; then
  echo "(earlier runs' outputs in $data/runs: $(du -sh "$data/runs" | cut -f1); bench/run.sh clean removes them)" >&2
fi
stamp_now=$(date -u +%Y%m%d-%H%M%S)
runs=$data/runs/$stamp_now
out=$root/build/bench-results/$stamp_now
mkdir -p "$runs"
# Small-file workloads first: the large ones' writes (and the removal of their
# outputs after each run) then cannot slow the creation of small files.
ordered=()
for name in startup W6 W2 W3 W5 W1 W4; do
  for wanted in "${workloads[@]}"; do
    [ "$name" = "$wanted" ] && ordered+=("$name")
  done
done
echo "== $(uptime)" >&2
variants=()
for variant in ${ORVEX_BENCH_VARIANTS:-}; do
  variants+=(--variant "$variant")
done
python3 "$root/bench/bench.py" run --data "$data" --bin "$build" --runs "$runs" --out "$out" \
  --rounds "$rounds" --touch-mib "$touch_mib" "${variants[@]}" "${ordered[@]}"
echo "== $(uptime)" >&2
