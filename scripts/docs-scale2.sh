#!/usr/bin/env bash
# Remakes docs/scale2.png: quelo-sample at scale factor 2 under Xvfb with a
# window manager, one preview selected (its caption), the empty strip's hint
# and the status text, all drawn at the screen's resolution. Needs openbox and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 1600x1100
QT_SCALE_FACTOR=2 build/quelo-sample --lang ja &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
wait_for_window "$pid" '*サンプル*'
xdotool windowmove "$wid" 0 0
sleep 1
# The second preview (the cloud), in device pixels of the window.
xdotool mousemove --window "$wid" 100 260 click 1
sleep 1
import -window root -crop 1330x1000+0+0 docs/scale2.png
