#!/usr/bin/env bash
# Times orvex against GNU tar, bsdtar and a plain copy of the same bytes.
#
#   bench/run.sh [W1 W2 W3 W4 W5]
#
# Builds a Release orvex, generates each workload once (archive, the files it
# must produce, an uncompressed tar of exactly those files, and their bytes
# in one file for the copy), checks that orvex and tar produce the same files,
# then times every tool with hyperfine on a warm page cache, the tools taking
# turns, each run extracting into a fresh empty folder. Prints a table of medians, ratios and
# peak memory. ORVEX_BENCH_RUNS sets the runs per command (default 10),
# ORVEX_BENCH_DIR the data folder (default build/bench-data; the generated
# workloads are kept there between invocations with ORVEX_BENCH_KEEP=1).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
data=${ORVEX_BENCH_DIR:-$root/build/bench-data}
runs_per_command=${ORVEX_BENCH_RUNS:-10}
workloads=("$@")
[ ${#workloads[@]} -gt 0 ] || workloads=(W1 W2 W3 W4 W5)

for tool in hyperfine bsdtar /usr/bin/time python3; do
  command -v "$tool" >/dev/null || {
    echo "missing $tool: apt-get install -y hyperfine libarchive-tools time python3"
    exit 1
  }
done

cmake --preset bench >/dev/null || exit 1
cmake --build --preset bench | tail -1
orvex=$root/build/bench/src/orvex
generate=$root/build/bench/bench/orvex_make_workload

prepare_workload() {
  local name=$1 dir=$2
  [ -f "$dir/payload.tar" ] && return
  rm -rf "$dir"
  "$generate" "$name" "$dir"
  (cd "$dir/expected" && ls -1 | LC_ALL=C sort >../names && tar -cf ../payload.tar -T ../names &&
    xargs cat <../names >../payload.bin)
}

check_equal_output() {
  local dir=$1 runs=$2
  mkdir "$runs/check-orvex" "$runs/check-tar"
  (cd "$runs/check-orvex" && "$orvex" "$dir/archive.dat" >/dev/null)
  (cd "$runs/check-tar" && tar -xf "$dir/payload.tar")
  diff -r "$runs/check-orvex" "$runs/check-tar" >/dev/null || {
    echo "$dir: orvex and tar wrote different files"
    exit 1
  }
  diff -r "$runs/check-orvex" "$dir/expected" >/dev/null || {
    echo "$dir: orvex did not write the expected files"
    exit 1
  }
}

peak_kib() { # command run in a fresh folder; prints the peak resident set in KiB
  local runs=$1
  shift
  local out
  out=$(mktemp -d -p "$runs")
  (cd "$out" && /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)
}

# Everything the runs write lives under one folder that is removed only at
# the very end: ext4 creates files slowly for a while after many deletions,
# which would slow down whatever is timed next.
mkdir -p "$data"
scratch=$(mktemp -d -p "$data" runs.XXXXXX)
results=$scratch/results.tsv
printf 'workload\torvex_ms\ttar_ms\tbsdtar_ms\tcopy_ms\torvex_peak_kib\ttar_peak_kib\tlargest_entry_kib\n' >"$results"

for name in "${workloads[@]}"; do
  echo "== $name: generating" >&2
  prepare_workload "$name" "$data/$name"
done

for name in "${workloads[@]}"; do
  dir=$data/$name
  echo "== $name: timing" >&2
  runs=$scratch/$name
  mkdir "$runs"
  check_equal_output "$dir" "$runs"
  # Each timed run goes into a folder of its own, made before the run, and
  # starts with no dirty pages left by the one before (writeback throttling
  # would otherwise punish whichever tool runs later).
  fresh="sync && d=\$(mktemp -d -p $runs) && ln -sfn \$d $runs/current"
  declare -A commands=(
    [orvex]="cd $runs/current && $orvex $dir/archive.dat >/dev/null"
    [tar]="cd $runs/current && tar -xf $dir/payload.tar"
    [bsdtar]="cd $runs/current && bsdtar -xf $dir/payload.tar"
    [copy]="cd $runs/current && cat $dir/payload.bin >copy.bin"
  )
  # The tools take turns, one run each per round, so that drift in the
  # machine's speed (a virtual disk, memory the host hands out lazily) falls
  # on all of them alike; round 0 is the warm-up and is not counted.
  for round in $(seq 0 "$runs_per_command"); do
    for tool in orvex tar bsdtar copy; do
      hyperfine --style none --runs 1 --prepare "$fresh" \
        --export-json "$runs/$tool.$round.json" -n "$tool" "${commands[$tool]}" >/dev/null
    done
  done
  rm -f "$runs"/*.0.json
  orvex_peak=$(peak_kib "$runs" "$orvex" "$dir/archive.dat")
  tar_peak=$(peak_kib "$runs" tar -xf "$dir/payload.tar")
  largest=$(($(find "$dir/expected" -type f -printf '%s\n' | sort -n | tail -1) / 1024))
  python3 - "$runs" "$name" "$orvex_peak" "$tar_peak" "$largest" >>"$results" <<'PY'
import glob, json, statistics, sys
samples = {}
for path in glob.glob(sys.argv[1] + "/*.json"):
    for r in json.load(open(path))["results"]:
        samples.setdefault(r["command"], []).extend(r["times"])
times = {tool: statistics.median(values) * 1000 for tool, values in samples.items()}
spread = {tool: (min(v) * 1000, max(v) * 1000) for tool, v in samples.items()}
print("  " + ", ".join(f"{t} {times[t]:.1f} ms ({spread[t][0]:.1f}..{spread[t][1]:.1f})"
                       for t in ("orvex", "tar", "bsdtar", "copy")), file=sys.stderr)
print("\t".join([sys.argv[2]] + ["%.1f" % times[t] for t in ("orvex", "tar", "bsdtar", "copy")]
                + sys.argv[3:]))
PY
done

python3 - "$results" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1]), delimiter="\t"))
print("| workload | orvex ms | GNU tar ms | bsdtar ms | copy ms | orvex/tar | orvex/bsdtar | orvex/copy | orvex peak MiB | largest entry MiB |")
print("|---|---|---|---|---|---|---|---|---|---|")
for r in rows:
    o, t, b, c = (float(r[k]) for k in ("orvex_ms", "tar_ms", "bsdtar_ms", "copy_ms"))
    print(f"| {r['workload']} | {o:.1f} | {t:.1f} | {b:.1f} | {c:.1f} | {o/t:.2f} | {o/b:.2f} | {o/c:.2f} "
          f"| {int(r['orvex_peak_kib'])/1024:.1f} | {int(r['largest_entry_kib'])/1024:.2f} |")
PY

rm -rf "$scratch"
if [ "${ORVEX_BENCH_KEEP:-0}" != 1 ]; then rm -rf "$data"; fi
