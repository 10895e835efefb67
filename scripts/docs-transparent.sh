#!/usr/bin/env bash
# Remakes docs/transparent.png: quelo on a folder of six of Tango's 24-pixel
# icons under Xvfb with a window manager, each double-clicked into the strip,
# then "背景を透明にする(&T)" from the Edit menu: the canvas shows the strip over
# its checkerboard. Needs openbox, xdotool and tango-icon-theme.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 760x520
icons=$(mktemp -d)
home=$(mktemp -d)
for name in document-new document-open document-save edit-copy edit-paste edit-find; do
  cp "/usr/share/icons/Tango/24x24/actions/$name.png" "$icons/"
done
HOME="$home" build/quelo "$icons" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$icons" "$home"' EXIT
wait_for_window "$pid"
sleep 1
# The previews' centres in the window's client coordinates, 42 pixels apart.
top=69
for i in 0 1 2 3 4 5; do
  xdotool mousemove --window "$wid" 42 $((top + i * 42)) click --repeat 2 --delay 80 1
  sleep 0.5
done
xdotool key alt+e
sleep 0.5
xdotool key t
sleep 1
import -window root docs/transparent.png
