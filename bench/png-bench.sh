#!/usr/bin/env bash
# Times opening COUNT PNG icons (48 x 48 RGBA, drawn by Pillow) from a folder and
# the same icons packed by quelo-pack:  bench/png-bench.sh BUILD_DIR [COUNT] [ROUNDS]
set -euo pipefail
build=$1 count=${2:-10000} rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/icons"
/usr/bin/python3 "$(dirname "$0")/draw-icons.py" "$work"
/usr/bin/python3 -c 'import shutil, sys
work, count = sys.argv[1], int(sys.argv[2])
for n in range(count):
    shutil.copyfile("%s/%02d.png" % (work, n % 16), "%s/icons/icon%05d.png" % (work, n))' "$work" "$count"
printf '[pack]\nname = PNG\n' > "$work/pack.txt"
cp /bin/true "$work/program"
"$build/quelo-pack" "$work/program" "$work/icons" "$work/pack.txt" -o "$work/pack" | tail -1
echo "folder: $(du -sh "$work/icons" | cut -f1), pack: $(du -sh "$work/pack" | cut -f1)"
"$build/bench/bench_png" "$work/icons" "$work/pack" "$rounds"
