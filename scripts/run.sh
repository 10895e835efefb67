#!/usr/bin/env bash
# Builds quelo and starts it on its sample pack.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/quelo-sample ]; then
  echo "Built; the program's window is not part of this build yet."
  exit 0
fi
exec build/quelo-sample
