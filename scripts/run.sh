#!/usr/bin/env bash
# Builds quelo and starts it on its sample pack (build/quelo-sample).
# Without a display ($DISPLAY empty) it runs the program under Xvfb, waits for
# its window, saves a screenshot of it to build/quelo-sample.png and exits.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --screenshot ]; then
  # Inside xvfb-run: start the program, wait for its window, photograph it.
  shot=$2
  build/quelo-sample &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  wid=
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || { echo "quelo-sample ended before its window showed." >&2; exit 1; }
    wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "quelo-sample showed no window within 30 seconds." >&2; exit 1; }
  # The title names the pack once loading is done; then give it a moment to paint.
  for _ in $(seq 1 100); do
    case "$(xdotool getwindowname "$wid" 2>/dev/null || true)" in *サンプル*) break ;; esac
    sleep 0.1
  done
  sleep 1
  import -window "$wid" "$shot" 2>/dev/null || import -window root "$shot"
  exit 0
fi

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -n "${DISPLAY:-}" ]; then
  exec build/quelo-sample
fi
shot=$PWD/build/quelo-sample.png
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --screenshot "$shot"
echo "No display: ran quelo-sample under Xvfb; screenshot of its window: $shot"
