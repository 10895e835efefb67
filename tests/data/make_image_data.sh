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
