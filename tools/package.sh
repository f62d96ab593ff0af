#!/usr/bin/env bash
# Builds the Debian package tarvik-snake_<version>_<arch>.deb into the folder
# given (the repository's root by default) and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root}"
out=$(cd "${1:-$root}" && pwd)
bash "$root/tools/setup.sh" --package
build=$root/build/package
# Debian's hardening flags, as the archive's own packages are built with.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -rf "$build/cpack"
(cd "$build" && cpack -B "$build/cpack" >/dev/null)
deb=$(basename "$build"/cpack/tarvik-snake_*.deb)
mv "$build/cpack/$deb" "$out/$deb"
echo "$out/$deb"
