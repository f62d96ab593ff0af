#!/usr/bin/env bash
# Installs what the game (and, with --test, the test suite) needs from Debian's
# archive. Installs nothing when everything is already present.
set -euo pipefail

packages=(cmake g++ make freeglut3-dev libglu1-mesa-dev libgl-dev libx11-dev libxrandr-dev libxxf86vm-dev)
packaging=(dpkg-dev file)  # dpkg-shlibdeps, and file to find what it must look at
if [ "${1:-}" = "--test" ]; then
  packages+=(libgtest-dev libbenchmark-dev clang libclang-rt-dev xvfb xdotool
             imagemagick faketime libfaketime x11-apps x11-utils libgl1-mesa-dri
             libstb-dev fonts-dejavu-core valgrind python3)
  packages+=("${packaging[@]}" lintian desktop-file-utils appstream)
  packages+=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxfixes3)  # full screen: Xorg with video modes, two monitors
  packages+=(i3-wm openbox)  # window managers: a tiling and a stacking one
  packages+=(sway xwayland wtype grim)  # full screen on a Wayland desktop: a headless compositor
fi
if [ "${1:-}" = "--package" ]; then
  packages+=("${packaging[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
