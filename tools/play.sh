#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from the folder that
# holds img/ and scores/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build/play" -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$root/build/play" -j"$(nproc)" >/dev/null
cd "$root"
exec "$root/build/play/tarvik-snake"
