#!/usr/bin/env bash
# Makes the image test files: PSD documents and icons by ImageMagick, and beside
# each one the pixels that Pillow decodes from it (raw RGB or RGBA bytes, rows
# top to bottom). Run from anywhere; writes into this folder.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
python=/usr/bin/python3
icc=/usr/share/color/icc/ghostscript/srgb.icc

# PSD documents: 8-bit, PackBits (RLE), 3 and 4 channels, odd sizes.
$convert -size 37x29 gradient:red-blue -swirl 60 -depth 8 -compress RLE psd_rgb_37x29.psd
$convert -size 48x48 radial-gradient:'rgba(255,0,0,1)-rgba(0,0,255,0)' -depth 8 -compress RLE psd_rgba_48x48.psd
$convert -seed 7 -size 33x17 plasma:fractal -alpha set -channel A -evaluate set 60% +channel \
  -profile "$icc" -depth 8 -compress RLE psd_rgba_33x17_icc.psd
$convert -seed 3 -size 131x9 xc:orange +noise Random -fill white -draw 'rectangle 0,0 70,3' \
  -type TrueColor -depth 8 -compress RLE psd_rgb_131x9.psd
$convert -seed 3 -size 20x5 xc:gray50 +noise Random -depth 8 -compress RLE psd_grey_20x5.psd
$convert -size 1x1 xc:'rgba(10,200,30,0.5)' -depth 8 -compress RLE psd_rgba_1x1.psd

# Icons: one 32-bit image; a palette icon; an icon with two images.
$convert -size 48x48 radial-gradient:'rgba(0,160,0,1)-rgba(255,255,0,0)' -depth 8 ico_im_48.ico
$convert -size 32x32 xc:red -fill blue -draw 'rectangle 4,4 20,20' -type Palette -colors 4 ico_im_palette.ico
$convert -size 32x32 xc:red -define icon:auto-resize=16,32 ico_im_two.ico

# PNG: every colour type, bit depths 1, 2, 4, 8 and 16, a palette with tRNS,
# interlacing; ImageMagick and Pillow; and an icon whose 256-pixel entry is PNG.
$convert -size 23x17 gradient:black-white -depth 8 -define png:color-type=0 png_im_grey_23x17.png
$convert -size 11x5 gradient:black-white -depth 2 -define png:bit-depth=2 -define png:color-type=0 png_im_grey2_11x5.png
$convert -size 9x6 gradient:white-black -rotate 90 -depth 4 -define png:bit-depth=4 -define png:color-type=0 \
  png_im_grey4_6x9.png
$convert -size 19x13 radial-gradient:'rgba(0,0,0,1)-rgba(255,255,255,0)' -colorspace Gray -depth 8 \
  -define png:color-type=4 png_im_greyalpha_19x13.png
$convert -seed 5 -size 21x11 plasma:fractal -depth 8 -define png:color-type=2 png_im_rgb_21x11.png
$convert -size 24x24 radial-gradient:'rgba(255,0,0,1)-rgba(0,0,255,0)' -depth 8 -define png:color-type=6 \
  png_im_rgba_24x24.png
$convert -seed 5 -size 17x9 plasma:fractal -alpha set -channel A -fx 'i/w' +channel -depth 16 \
  -define png:color-type=6 png_im_rgba16_17x9.png
$convert -seed 6 -size 33x31 plasma:fractal -depth 8 -interlace PNG -define png:color-type=2 \
  png_im_interlaced_33x31.png
$convert -size 256x256 radial-gradient:'rgba(0,160,0,1)-rgba(255,255,0,0)' -depth 8 ico_im_png_256.ico
$python - <<'PY'
from PIL import Image
im = Image.new("1", (13, 7))
im.putdata([((x * y + x) // 3) % 2 for y in range(7) for x in range(13)])
im.save("png_pil_grey1_13x7.png")
im = Image.new("P", (15, 8))
im.putpalette([(i * 37) % 256 for i in range(48)])
im.putdata([(x + y * 2) % 16 for y in range(8) for x in range(15)])
im.save("png_pil_palette_trns_15x8.png", bits=4, transparency=bytes([0, 64, 128, 255, 255, 10]))
im = Image.new("I;16", (10, 4))
im.putdata([(x * 6553 + y * 1000 + 0x1FF) & 0xFFFF for y in range(4) for x in range(10)])
im.save("png_pil_grey16_10x4.png")
PY

# PNG files that must be refused, written chunk by chunk by Python: headers of
# absurd sizes (over 16384 a side, over 256 MB as RGBA, and the largest size
# taken, whose data is a stub) and a 1 x 1 image whose data inflates to 16 MB.
$python - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(width, height, idat):
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", idat) + chunk(b"IEND", b"")
stub = zlib.compress(b"\0" * 64)
for width, height in [(20000, 1), (16385, 1), (1, 16385), (16384, 4097), (16384, 4096)]:
    open("png_py_%dx%d.png" % (width, height), "wb").write(png(width, height, stub))
open("png_py_bomb_1x1.png", "wb").write(png(1, 1, zlib.compress(b"\0" * (16 << 20), 9)))
PY

# What Pillow decodes from each.
for f in psd_rgb*.psd ico_im_48.ico; do
  $python - "$f" <<'PY'
import sys
from PIL import Image
name = sys.argv[1]
image = Image.open(name)
ext = ".rgba" if image.mode == "RGBA" else ".rgb"
image = image.convert("RGBA" if ext == ".rgba" else "RGB")
open(name.rsplit(".", 1)[0] + ext, "wb").write(image.tobytes())
print(name, image.mode, image.size)
PY
done
for f in png_im_*.png png_pil_*.png ico_im_png_256.ico; do
  $python - "$f" <<'PY'
import sys
from PIL import Image
name = sys.argv[1]
image = Image.open(name)
if image.mode in ("I", "I;16"):
    # Pillow keeps 16-bit grey as integers (and clips them when converting):
    # the expected 8-bit value is the high byte, as for 16-bit colour.
    grey = Image.new("L", image.size)
    grey.putdata([v >> 8 for v in image.getdata()])
    image = grey
image = image.convert("RGBA")
open(name.rsplit(".", 1)[0] + ".rgba", "wb").write(image.tobytes())
print(name, image.mode, image.size)
PY
done

# Damaged PNG files that exist in the wild, written chunk by chunk by Python: a
# palette of one entry whose pixels use indices up to 63; image data whose
# deflate stream (fixed codes) uses the distance codes 30 and 31, which stand
# for no distance, or reaches back before its first byte; a 1-bit grey image
# whose tRNS key (3) has bits above its depth.
$python - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(width, height, depth, colour, idat, extra=b""):
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra + chunk(b"IDAT", idat) + chunk(b"IEND", b"")
rows = b"".join(b"\0" + bytes(range(16 * y, 16 * y + 16)) for y in range(4))
open("png_py_palette_past_plte_16x4.png", "wb").write(
    png(16, 4, 8, 3, zlib.compress(rows), chunk(b"PLTE", bytes([200, 10, 20]))))
class Bits:
    def __init__(self): self.value, self.count = 0, 0
    def put(self, v, n):  # least significant bit first
        self.value |= v << self.count; self.count += n
    def code(self, c, n):  # a Huffman code, most significant bit first
        for i in reversed(range(n)): self.put((c >> i) & 1, 1)
    def literal(self, v):
        if v < 144: self.code(0x30 + v, 8)
        else: self.code(0x190 + v - 144, 9)
    def bytes(self): return self.value.to_bytes((self.count + 7) // 8, "little")
def stream(distance_code, extra=0, extra_bits=0):
    b = Bits()
    b.put(1, 1); b.put(1, 2)  # the last block, fixed codes
    b.literal(0); b.literal(0x41)  # a filter byte and one grey value
    b.code(261 - 256, 7)  # length 7
    b.code(distance_code, 5); b.put(extra, extra_bits)
    b.code(0, 7)  # end of block
    return b"\x78\x01" + b.bytes() + struct.pack(">I", zlib.adler32(b"\0A" + b"A" * 7))
open("png_py_distance30_8x1.png", "wb").write(png(8, 1, 8, 0, stream(30)))
open("png_py_distance31_8x1.png", "wb").write(png(8, 1, 8, 0, stream(31)))
open("png_py_distance_before_start_8x1.png", "wb").write(png(8, 1, 8, 0, stream(2)))  # distance 3 after 2 bytes
rows = b"".join(b"\0" + bytes([0b10110100]) for y in range(2))
open("png_py_grey1_trns3_8x2.png", "wb").write(
    png(8, 2, 1, 0, zlib.compress(rows), chunk(b"tRNS", struct.pack(">H", 3))))
PY
