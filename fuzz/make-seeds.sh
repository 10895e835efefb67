#!/usr/bin/env bash
# Remakes the generated seed files of fuzz/corpus (the other seeds are links to
# tests/data and sample/pack): small programs with packs appended by quelo-pack,
# and the binary definitions those packs carry. Needs gcc, ImageMagick and a
# built quelo-pack: fuzz/make-seeds.sh [BUILD_DIR, default build].
set -euo pipefail
cd "$(dirname "$0")/.."
pack_tool="${1:-build}/quelo-pack"
corpus=fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The programs: a PE from tests/data, a static ELF of 632 bytes, a dynamic one.
gcc -Os -s -nostdlib -static -Wl,-z,noseparate-code -Wl,--build-id=none -o "$work/tiny-elf" fuzz/seed-src/tiny-elf.c
gcc -Os -s -o "$work/hello-elf" fuzz/seed-src/hello-elf.c

# Two packs: three sample icons, and a 1 x 1 PSD with a 2 x 2 ICO.
mkdir "$work/small" "$work/tiny"
cp sample/pack/bell.psd sample/pack/key.psd sample/pack/apple.ico "$work/small/"
cp tests/data/psd_rgba_1x1.psd "$work/tiny/dot.psd"
convert -size 2x2 xc:'rgba(255,0,0,0.5)' -depth 8 "$work/tiny/dot2.ico"

make() {  # make PROGRAM PACK OUT
  "$pack_tool" "$1" "$work/$2" "fuzz/seed-src/$2-pack.txt" -o "$3" >/dev/null 2>&1
}
make tests/data/tiny-mingw.exe small "$corpus/archive_pe/seed/small-pack.exe"
make tests/data/tiny-mingw.exe tiny "$corpus/archive_pe/seed/tiny-pack.exe"
cp "$work/tiny-elf" "$corpus/archive_elf/seed/tiny-elf"
make "$work/tiny-elf" small "$corpus/archive_elf/seed/small-pack-elf"
make "$work/tiny-elf" tiny "$corpus/archive_elf/seed/tiny-pack-elf"
make "$work/hello-elf" tiny "$corpus/archive_elf/seed/tiny-pack-hello-elf"
make tests/data/blob-elf32be.o tiny "$corpus/archive_elf/seed/tiny-pack-elf32be.o"
cp "$work/tiny/dot2.ico" "$corpus/ico/seed/dot2.ico"

# A small icon holding PNG data: a 3 x 2 PNG behind an icon header and directory.
convert -size 3x2 xc:'rgba(0,0,255,0.5)' -depth 8 "$work/dot.png"
/usr/bin/python3 - "$work/dot.png" "$corpus/ico_png/seed/dot-png.ico" <<'PY'
import struct, sys
png = open(sys.argv[1], "rb").read()
entry = struct.pack("<BBBBHHII", 3, 2, 0, 0, 1, 32, len(png), 22)
open(sys.argv[2], "wb").write(struct.pack("<HHH", 0, 1, 1) + entry + png)
PY

# The binary definitions, as the packs carry them.
"$pack_tool" --extract "$corpus/archive_pe/seed/small-pack.exe" "$work/out-small" >/dev/null
"$pack_tool" --extract "$corpus/archive_pe/seed/tiny-pack.exe" "$work/out-tiny" >/dev/null
cp "$work/out-small/!quelo.ini" "$corpus/config/seed/small-pack.ini"
cp "$work/out-tiny/!quelo.ini" "$corpus/config/seed/tiny-pack.ini"
"$pack_tool" tests/data/tiny-mingw.exe sample/pack sample/pack/quelo-pack.txt -o "$work/sample.exe" >/dev/null 2>&1
"$pack_tool" --extract "$work/sample.exe" "$work/out-sample" >/dev/null
cp "$work/out-sample/!quelo.ini" "$corpus/config/seed/sample-pack.ini"
