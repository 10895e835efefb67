#!/usr/bin/env bash
# Remakes docs/screenshot.png: quelo-sample under Xvfb with a window manager,
# five previews double-clicked into the strip; then docs/backcolor.png: the same
# strip on a background colour chosen through "背景色(&B)" by the colour dialog's
# HTML field. Needs openbox and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 760x560
build/quelo-sample --lang ja &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
wait_for_window "$pid" '*サンプル*'
sleep 1
# Centres of sun, leaf, flower and star, then the raindrop, in the window's
# client coordinates; the raindrop is shorter, and the height question is
# answered with No so the strip keeps its height.
for y in 82 258 322 388 140; do
  xdotool mousemove --window "$wid" 50 "$y" click --repeat 2 --delay 80 1
  sleep 0.5
done
xdotool key alt+n
sleep 0.5
xdotool mousemove --window "$wid" 50 258 click 1
sleep 0.5
import -window root docs/screenshot.png
xdotool key alt+e
sleep 0.5
xdotool key b
sleep 1.5
xdotool key alt+h ctrl+a
xdotool type '#2b5c8a'
xdotool key Return
sleep 1
import -window root docs/backcolor.png
