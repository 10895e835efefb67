#!/usr/bin/env bash
# Remakes docs/open-folder.png: quelo started on a folder of a user's icons
# ("quelo ~/icons"), made here by ImageMagick as PNG, ICO and PSD files, with
# two of them double-clicked into the strip. Runs under Xvfb with openbox.
# QUELO_DOCS_LANG=en makes the same picture in English: docs/open-folder-en.png.
set -euo pipefail
cd "$(dirname "$0")/.."
lang=${QUELO_DOCS_LANG:-ja}
shot=docs/open-folder.png
[ "$lang" = ja ] || shot=docs/open-folder-$lang.png
. scripts/under-xvfb.sh 760x560
icons=$(mktemp -d)/icons
config=$(mktemp -d)
mkdir -p "$icons"
trap 'rm -rf "$icons" "$config"' EXIT
draw() { convert -size 48x48 xc:none -fill "$2" -stroke '#303030' -strokewidth 2 -draw "$3" "$icons/$1"; }
draw apple.png '#d83a3a' 'circle 24,26 24,6'
draw leaf.ico '#3aa83a' 'ellipse 24,24 20,10 0,360'
draw sun.png '#f0b020' 'circle 24,24 24,10'
draw drop.psd '#3a7ad8' 'polygon 24,4 38,30 24,44 10,30'
draw star.png '#e0c000' 'polygon 24,3 30,18 46,18 33,28 38,44 24,34 10,44 15,28 2,18 18,18'
draw box.ICO '#8a5a2a' 'rectangle 8,8 40,40'
XDG_CONFIG_HOME=$config build/quelo --lang "$lang" "$icons" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$icons" "$config"' EXIT
wait_for_window "$pid"
sleep 1.5
# Star and box double-clicked, at heights found by eye, after a click that
# selects the apple and gives the panel the focus. The English menu bar is
# lower, so everything below it stands higher.
if [ "$lang" = ja ]; then apple=108 star=304 box=172; else apple=81 star=275 box=145; fi
xdotool mousemove --window "$wid" 50 $apple click 1
sleep 1
for y in $star $box; do

  xdotool mousemove --window "$wid" 50 "$y" click --repeat 2 --delay 80 1
  sleep 1
done
sleep 1
import -window root "$shot"

