#!/usr/bin/env bash
# Fuzzes one reader: scripts/fuzz.sh TARGET SECONDS
# TARGET is one of archive_pe archive_elf config psd ico png ico_png ico_roundtrip pack_source.
# Builds the instrumented targets in build-fuzz (clang) if needed, runs libFuzzer
# from the committed seeds and regressions plus what earlier runs kept, and
# prints the executions, the coverage and the findings (kept in build-fuzz/findings).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then echo "usage: scripts/fuzz.sh TARGET SECONDS" >&2; exit 2; fi
target=$1 seconds=$2
corpus=fuzz/corpus/$target
if [ ! -d "$corpus/seed" ]; then echo "unknown target $target; one of: $(ls fuzz/corpus | tr '\n' ' ')" >&2; exit 2; fi

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "fuzz_$target" >/dev/null

# New inputs go to the first folder only; the committed folders are only read.
work=build-fuzz/work/$target findings=build-fuzz/findings/$target
mkdir -p "$work" "$findings"
log=build-fuzz/fuzz-$target.log
# Scratch files on a memory file system when there is one: every run writes one.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
dict=(); [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
before=$(ls "$findings" | wc -l)
status=0
build-fuzz/fuzz/fuzz_"$target" -rss_limit_mb=512 -malloc_limit_mb=512 -timeout=5 -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
  "$work" "$corpus/seed" "$corpus/regression" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
found=$(( $(ls "$findings" | wc -l) - before ))
echo "$target: ${runs:-?} executions in ${seconds} s, ${cov:-no coverage line}, corpus $(ls "$work" | wc -l) kept inputs"
echo "$target: $found new finding(s) in $findings (log: $log)"
if [ "$status" -ne 0 ]; then
  grep -E '^(==[0-9]+==ERROR|SUMMARY|quelo fuzz check failed)' "$log" | head -5 || true
  exit 1
fi
