#!/usr/bin/env bash
# Times opening COUNT PNG icons (48 x 48 RGBA, drawn by Pillow) from a folder and
# the same icons packed by quelo-pack:  bench/png-bench.sh BUILD_DIR [COUNT] [ROUNDS]
set -euo pipefail
build=$1 count=${2:-10000} rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/icons"
/usr/bin/python3 - "$work/icons" "$count" <<'PY'
import shutil, sys
from PIL import Image, ImageDraw
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(16):
    img = Image.new("RGBA", (48, 48), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    colour = ((i * 53) % 256, (i * 97 + 80) % 256, (i * 151 + 160) % 256, 255)
    d.ellipse((4 + i % 4, 4, 44, 44 - i % 5), fill=colour, outline=(0, 0, 0, 160), width=2)
    d.text((14, 16), "%02d" % i, fill=(255, 255, 255, 220))
    img.save("%s/icon%05d.png" % (folder, i))
for n in range(16, count):
    shutil.copyfile("%s/icon%05d.png" % (folder, n % 16), "%s/icon%05d.png" % (folder, n))
PY
printf '[pack]\nname = PNG\n' > "$work/pack.txt"
cp /bin/true "$work/program"
"$build/quelo-pack" "$work/program" "$work/icons" "$work/pack.txt" -o "$work/pack" | tail -1
echo "folder: $(du -sh "$work/icons" | cut -f1), pack: $(du -sh "$work/pack" | cut -f1)"
"$build/bench/bench_png" "$work/icons" "$work/pack" "$rounds"
