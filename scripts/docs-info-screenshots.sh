#!/usr/bin/env bash
# Remakes docs/info-version.png, docs/info-pack.png and docs/info-file.png: the
# information windows of quelo-sample under Xvfb with a window manager. Needs
# openbox, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/under-xvfb.sh 1024x700
build/quelo-sample --lang ja &
pid=$!
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT

# The first visible window of the program whose title matches $1.
window() {
  for _ in $(seq 1 100); do
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true); do
      case "$(xdotool getwindowname "$id")" in $1) echo "$id"; return ;; esac
    done
    sleep 0.1
  done
  echo "no window '$1'" >&2
  exit 1
}
# Photographs the window titled $1, frame included, into $2; made $3 pixels
# high first when given.
shot() {
  local id
  id=$(window "$1")
  [ -n "${3:-}" ] && xdotool windowsize "$id" 561 "$3"
  sleep 0.8
  import -frame -window "$id" "$2"
}

main=$(window '*サンプル*')
sleep 1
# A click on the banner: the version window.
xdotool mousemove --window "$main" 10 200 click 1
shot '*バージョン情報' docs/info-version.png
xdotool key Escape
sleep 0.5
# The pack window from the Help menu.
xdotool windowactivate --sync "$main" key alt+h key p
shot 'パッケージ *' docs/info-pack.png
xdotool key Escape
sleep 0.5
# The cloud's preview, then its file window, made tall enough for every line.
xdotool mousemove --window "$main" 50 210 click 1
sleep 0.3
xdotool windowactivate --sync "$main" key alt+h key i
shot '*バージョン情報' docs/info-file.png 520
