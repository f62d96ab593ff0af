#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit tests,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzzers for a bounded time, the real program under Xvfb, and a session of it
# under valgrind's memcheck.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
bash "$root/tools/setup.sh" --test

echo "== build"
cmake -S "$root" -B "$root/build/test" -DTARVIK_WERROR=ON >/dev/null
cmake --build "$root/build/test" -j"$jobs"

echo "== build with sanitizers"
cmake -S "$root" -B "$root/build/asan" -DTARVIK_WERROR=ON -DTARVIK_SANITIZE=address,undefined >/dev/null
cmake --build "$root/build/asan" -j"$jobs" --target unit_tests

echo "== build fuzzers"
CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DTARVIK_FUZZ=ON -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$root/build/fuzz" -j"$jobs"

echo "== fuzz"
bash "$root/tools/fuzz.sh" "$root/build/fuzz" "${FUZZ_SECONDS:-30}"

echo "== unit tests with sanitizers"
(cd "$root/build/asan" && ctest -L unit -j"$jobs" --output-on-failure)

echo "== memory check: a session of the game under valgrind"
TARVIK_EXE="$root/build/test/tarvik-snake" TARVIK_SOURCE_DIR="$root" python3 "$root/tests/e2e/memcheck.py"

echo "== unit and end-to-end tests"
(cd "$root/build/test" && ctest --output-on-failure)
