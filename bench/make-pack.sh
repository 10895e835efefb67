#!/usr/bin/env bash
# Builds a large pack for trying the program on: COUNT images of 48 x 48 RGBA,
# drawn by Pillow, converted by ImageMagick to PackBits PSDs, the first 100
# with a title in the definition, packed by quelo-pack onto the program.
#   bench/make-pack.sh BUILD_DIR COUNT OUT [PROGRAM]
# PROGRAM (default BUILD_DIR/quelo) is the program the pack goes onto: the
# Linux quelo-pack appends as well to quelo.exe of the Windows build.
# COUNT is at most 32766: the definition is a member too. The time of the
# quelo-pack run alone goes to standard error ("quelo-pack: S s").
set -euo pipefail
build=$1 count=$2 out=$3 program=${4:-$1/quelo}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$(dirname "$0")/draw-icons.py" "$work"
mkdir "$work/pack"
for i in $(seq -w 0 15); do convert "$work/$i.png" -compress RLE "$work/$i.psd"; done
/usr/bin/python3 - "$work" "$count" <<'PY'
import shutil, sys
work, count = sys.argv[1], int(sys.argv[2])
with open(work + "/pack.txt", "w", encoding="utf-8") as text:
    text.write("[pack]\nname = 大きなパック (%d)\n" % count)
    for n in range(count):
        name = "icon%05d.psd" % n
        shutil.copyfile("%s/%02d.psd" % (work, n % 16), "%s/pack/%s" % (work, name))
        # A definition holds at most 100 files; the others show their file names.
        if n < 100:
            text.write("[file %s]\ntitle = アイコン %05d 番\n" % (name, n))
PY
TIMEFORMAT='quelo-pack: %R s'
time "$build/quelo-pack" "$program" "$work/pack" "$work/pack.txt" -o "$out"
