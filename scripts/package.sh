#!/usr/bin/env bash
# Makes the release files side by side in build/: the Debian package
# (quelo_VERSION_ARCH.deb) and quelo-pack's Windows zip (quelo-pack-VERSION-win64.zip).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && cpack -G DEB)
cmake --preset windows >/dev/null
cmake --build build-windows -j"$jobs" --target quelo-pack
cpack --config build-windows/CPackConfig.cmake -G ZIP -B "$PWD/build"
rm -rf build/_CPack_Packages/win64
ls -l build/*.deb build/quelo-pack-*-win64.zip
