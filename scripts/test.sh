#!/usr/bin/env bash
# Builds quelo and runs every test: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets, which
# replay their seed and regression corpora once (no fuzzing; scripts/fuzz.sh does that).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELO_SANITIZE=ON -DQUELO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# Leak detection is on: only the system libraries listed in tests/lsan.supp are excused.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" ctest --test-dir build-asan -j"$jobs" --output-on-failure

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz -j"$jobs" --output-on-failure
