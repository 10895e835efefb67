#!/usr/bin/env bash
# Builds quelo and runs every test: a normal build, the core and tool built for
# Windows and run under Wine, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets, which
# replay their seed and regression corpora once (no fuzzing; scripts/fuzz.sh does that).
#   scripts/test.sh --windows-window   also builds Qt for Windows first when it is missing
set -euo pipefail
cd "$(dirname "$0")/.."
windows_window=
[ "${1:-}" = --windows-window ] && windows_window=--build
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure

# The core, quelo-pack and their tests for Windows (mingw-w64), run under Wine in
# a prefix inside build-windows. One kept wineserver serves every test program.
cmake --preset windows >/dev/null
cmake --build build-windows -j"$jobs"
export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
# Makes the prefix and starts Wine's own services now, so that they do not hold
# on to the first test program's output pipe.
/usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1
ctest --test-dir build-windows -j"$jobs" --output-on-failure
/usr/lib/wine/wineserver -k 2>/dev/null || true
trap - EXIT
unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

# The window program for Windows, when Qt for Windows is in its cache (else one line saying how).
QT_QPA_PLATFORM= scripts/test-windows-window.sh $windows_window

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELO_SANITIZE=ON -DQUELO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# Leak detection is on: only the system libraries listed in tests/lsan.supp are excused.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" ctest --test-dir build-asan -j"$jobs" --output-on-failure

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz -j"$jobs" --output-on-failure
