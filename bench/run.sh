#!/usr/bin/env bash
# Installs what is missing, builds the game as tools/play.sh does (Release)
# together with the benchmarks in build/bench, and prints the figures of
# BENCHMARKS.md. Arguments go to bench/bench.py (e.g. --quick, --runs 21).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh" --test
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$root/build/bench" -j"$(nproc)" >"$root/build/bench/build.log" 2>&1 ||
  { cat "$root/build/bench/build.log"; exit 1; }
python3 "$root/bench/bench.py" "$root/build/bench" "$@"
