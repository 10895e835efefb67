#!/usr/bin/env bash
# Builds quelo and runs every test: a normal build, the Windows build run under
# Wine (with the window program when Qt for Windows is in its cache, else the
# core and tool), then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the fuzz targets, which replay their seed and
# regression corpora once (no fuzzing; scripts/fuzz.sh does that).
# Each stage prints how long it took.
#   scripts/test.sh --windows-window   also builds Qt for Windows first when it is missing
set -euo pipefail
cd "$(dirname "$0")/.."
windows_window=
[ "${1:-}" = --windows-window ] && windows_window=--build
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
started=$(date +%s)
lap=$started
stage() {
  local now; now=$(date +%s)
  echo "== $1: $((now - lap)) s (total $((now - started)) s)"
  lap=$now
}

# Unity builds: each target's sources compiled as one, which spares the cores
# most of the repeated header parsing.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build build -j"$jobs"
stage "normal build"
ctest --test-dir build -j"$jobs" --output-on-failure -E '^e2e$'
stage "normal tests"

# The real program under Xvfb mostly waits for its window: it runs while the
# Windows build keeps the cores busy, and is waited for after the Windows tests.
e2e_log=build/e2e.log
ctest --test-dir build --output-on-failure -R '^e2e$' >"$e2e_log" 2>&1 &
e2e=$!
trap 'kill $e2e 2>/dev/null || true' EXIT

# Windows: with Qt for Windows in its cache, one build of everything, the window
# program included, tested under Wine (scripts/test-windows-window.sh); without
# it, the core, quelo-pack and their tests (mingw-w64), run under Wine in a
# prefix inside build-windows, and one line saying how to get that Qt.
windows_status=0
QT_QPA_PLATFORM= scripts/test-windows-window.sh $windows_window || windows_status=$?
if [ "$windows_status" -eq 3 ]; then
  cmake --preset windows >/dev/null
  cmake --build build-windows -j"$jobs"
  stage "Windows build"
  export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # One kept wineserver serves every test program.
  /usr/lib/wine/wineserver -p
  trap 'kill $e2e 2>/dev/null || true; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
  # Makes the prefix and starts Wine's own services now, so that they do not hold
  # on to the first test program's output pipe.
  /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1
  ctest --test-dir build-windows -j"$jobs" --output-on-failure
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  stage "Wine tests"
elif [ "$windows_status" -ne 0 ]; then
  exit "$windows_status"
else
  stage "Windows build with the window program, Wine tests"
fi

e2e_status=0
wait $e2e || e2e_status=$?
trap - EXIT
cat "$e2e_log"
[ "$e2e_status" -eq 0 ] || { echo "the end-to-end run failed" >&2; exit "$e2e_status"; }
stage "end-to-end run (waited for)"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELO_SANITIZE=ON -DQUELO_BUILD_BENCH=OFF -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build build-asan -j"$jobs"
stage "ASan/UBSan build"
# Leak detection is on: only the system libraries listed in tests/lsan.supp are excused.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" ctest --test-dir build-asan -j"$jobs" --output-on-failure
stage "ASan/UBSan tests"

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz -j"$jobs" --output-on-failure
stage "fuzz replays"
