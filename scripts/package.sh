#!/usr/bin/env bash
# Makes the release files side by side in build/: the Debian package
# (quelo_VERSION_ARCH.deb) and the Windows zip: quelo-VERSION-win64.zip with the
# window program when Qt for Windows is in its cache (scripts/qt-windows.sh),
# otherwise quelo-pack-VERSION-win64.zip with the tool alone.
# Only what the packages hold is built: no tests, no benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=2
qt_windows=${QUELO_QT_WINDOWS:-$HOME/.cache/quelo/qt-6.4.2-mingw-w64}
# Installing must not build every target first; the targets below are what is installed.
only=-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $only >/dev/null
cmake --build build -j$jobs --target quelo quelo-pack quelo_sample
(cd build && cpack -G DEB)

if [ -f "$qt_windows/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
  cmake --preset windows-qt $only >/dev/null
  cmake --build build-windows-qt -j$jobs --target quelo quelo-pack quelo_sample
  cpack --config build-windows-qt/CPackConfig.cmake -G ZIP -B "$PWD/build"
  zip=build/quelo-*-win64.zip
else
  echo "No Qt for Windows in $qt_windows (scripts/qt-windows.sh builds it): the zip holds quelo-pack alone."
  cmake --preset windows $only >/dev/null
  cmake --build build-windows -j$jobs --target quelo-pack
  cpack --config build-windows/CPackConfig.cmake -G ZIP -B "$PWD/build"
  zip=build/quelo-pack-*-win64.zip
fi
rm -rf build/_CPack_Packages
ls -l build/*.deb $zip
