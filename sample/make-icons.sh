#!/usr/bin/env bash
# Regenerates the sample pack's images from sample/draw_icons.py:
# PNGs drawn by Pillow, converted by ImageMagick to PackBits PSDs (one member as
# a 32-bit ICO), checked with Pillow, and written into sample/pack/. Also
# refreshes the program's icon, packaging/quelo.png. The results are committed,
# so a build needs neither Python nor ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 sample/draw_icons.py "$work/png"
mkdir -p "$work/pack"
for png in "$work"/png/*.png; do
  stem=$(basename "$png" .png)
  case "$stem" in
    quelo) ;;                                                # the program's icon, not a member
    apple) convert "$png" "$work/pack/$stem.ico" ;;           # the one ICO member
    *) convert "$png" -compress RLE "$work/pack/$stem.psd" ;;
  esac
done
/usr/bin/python3 sample/check_icons.py "$work/png" "$work/pack"
cp "$work"/pack/* sample/pack/
cp "$work/png/quelo.png" packaging/quelo.png
echo "sample/pack/ and packaging/quelo.png updated"
