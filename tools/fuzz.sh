#!/usr/bin/env bash
# Runs every fuzzer in a fuzz build for a bounded time from its seed corpus;
# fails on the first finding. Usage: fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
seconds=$2
shopt -s nullglob
for fuzzer in "$build"/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "fuzzing $name for ${seconds}s"
  (cd "$work" && "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$work" "${seeds[@]}" 2>&1 | tail -n 3)
  status=${PIPESTATUS[0]}
  rm -rf "$work"
  [ "$status" -eq 0 ] || { echo "fuzzer $name found a fault"; exit 1; }
done
