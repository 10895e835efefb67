#!/usr/bin/env bash
# Remakes docs/english.png: quelo-sample in English (--lang en) under Xvfb with
# a window manager, the strip of docs/screenshot.png built the same way. Needs
# openbox and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 760x560
build/quelo-sample --lang en &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 300); do
  wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && case "$(xdotool getwindowname "$wid")" in *Sample*|*サンプル*) break ;; esac
  sleep 0.1
done
sleep 1
# Sun, leaf, flower, star, then the shorter raindrop; the height question is
# answered with No, as in docs-screenshot.sh.
for y in 82 258 322 388 140; do
  xdotool mousemove --window "$wid" 50 "$y" click --repeat 2 --delay 80 1
  sleep 0.5
done
xdotool key alt+n
sleep 0.5
xdotool mousemove --window "$wid" 50 258 click 1
sleep 0.5

import -window root docs/english.png
