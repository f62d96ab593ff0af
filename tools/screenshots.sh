#!/usr/bin/env bash
# Builds the game and takes a screenshot of each of its screens under Xvfb,
# into docs/screenshots/ (the pictures the README shows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh" --test
cmake -S "$root" -B "$root/build/test" -DTARVIK_WERROR=ON >/dev/null
cmake --build "$root/build/test" -j"$(nproc)" --target tarvik-snake
mkdir -p "$root/docs/screenshots"
TARVIK_EXE="$root/build/test/tarvik-snake" TARVIK_SOURCE_DIR="$root" \
  python3 "$root/tools/screenshots.py" "$root/docs/screenshots"
ls "$root/docs/screenshots"
