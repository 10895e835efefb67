#!/usr/bin/env bash
# Installs the Debian packages that quelo's build, tests and run need, if missing.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          libstb-dev qt6-svg-dev librsvg2-bin tango-icon-theme fonts-noto-cjk qt6-translations-l10n qt6-l10n-tools qt6-tools-dev xvfb xauth imagemagick python3-pil xdotool
          clang libclang-rt-14-dev strace g++-mingw-w64-x86-64-posix wine64 googletest file dpkg-dev
          desktop-file-utils zlib1g-dev dbus-daemon at-spi2-core gir1.2-atspi-2.0 ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then echo "Run as root to install packages." >&2; exit 1; fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
