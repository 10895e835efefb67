#!/usr/bin/env bash
# Remakes docs/icon-set.png: quelo on a folder of Tango's SVG icons and an
# icon of several sizes, with 表示 → アイコンのサイズ at 24, eight of them added
# to the strip with the keyboard (Return adds the selected preview, Down moves
# on), the strip's background made transparent (編集 → 背景を透明にする).
# Runs under Xvfb with openbox; needs tango-icon-theme.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 760x560
tango=/usr/share/icons/Tango/scalable
icons=$(mktemp -d)/icons
config=$(mktemp -d)
mkdir -p "$icons" "$config/quelo"
trap 'rm -rf "$icons" "$config"' EXIT
n=0
for f in actions/go-home actions/go-previous actions/go-next actions/document-save actions/edit-copy \
         actions/edit-paste actions/edit-delete actions/view-refresh actions/system-search apps/help-browser; do
  n=$((n + 1))
  cp "$tango/$f.svg" "$icons/$(printf %02d $n)-$(basename $f).svg"
done
cp tests/data/iconset_im_multi.ico "$icons/99-circles.ico"
printf '[General]\nIconSize=24\n' > "$config/quelo/quelo.ini"
XDG_CONFIG_HOME=$config build/quelo --lang ja "$icons" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$icons" "$config"' EXIT
wait_for_window "$pid"
sleep 1.5
# The first preview clicked (selected, the panel focused), then Return and Down.
xdotool mousemove --window "$wid" 40 62 click 1
sleep 0.5
for _ in 1 2 3 4 5 6 7 8; do
  xdotool key --window "$wid" Return
  sleep 0.3
  xdotool key --window "$wid" Down
  sleep 0.3
done
xdotool key --window "$wid" alt+e
sleep 0.5
xdotool key --window "$wid" t
sleep 1
# The icon size menu open, to show the choice.
xdotool key --window "$wid" alt+v
sleep 0.5
xdotool key --window "$wid" i
sleep 1
import -window root docs/icon-set.png
