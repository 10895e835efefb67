#!/usr/bin/env bash
# Makes the test files of icon sets: icons of several images and of every bit
# depth Windows writes (ImageMagick, and Pillow's BMP writer for 1 and 24 bits),
# each beside the pixels Pillow decodes from it; and a picture shrunk by
# ImageMagick's box filter. Run from anywhere; writes into this folder.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
python=/usr/bin/python3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One colour per size, so the entry read can be told from its pixels.
$convert -size 16x16 xc:none -fill red -draw 'circle 8,8 8,2' "$tmp/a16.png"
$convert -size 32x32 xc:none -fill lime -draw 'circle 16,16 16,3' "$tmp/a32.png"
$convert -size 48x48 xc:none -fill blue -draw 'circle 24,24 24,4' "$tmp/a48.png"
$convert -size 256x256 xc:none -fill yellow -draw 'circle 128,128 128,10' "$tmp/a256.png"
$convert "$tmp/a16.png" "$tmp/a32.png" "$tmp/a48.png" "$tmp/a256.png" iconset_im_multi.ico
$convert "$tmp/a16.png" "$tmp/a32.png" iconset_im_16_32.ico
# 4 bits (16 colours or fewer) and 8 bits (more), with the transparency in the mask.
$convert "$tmp/a32.png" -colors 16 -type Palette iconset_im_4bit.ico
$convert -size 32x32 gradient:red-blue -fill none -stroke lime -draw 'circle 16,16 16,6' -colors 100 \
  -type Palette iconset_im_8bit.ico
# 1 and 24 bits: Pillow writes the bitmap, the icon around it is put together
# here (header, one entry, the bitmap without its file header and with the
# height doubled, then the mask: 1 where transparent).
$python - <<'PY'
import io, struct
from PIL import Image, ImageDraw

def icon(img, mask, name):
    buf = io.BytesIO()
    img.save(buf, 'BMP')
    bmp = buf.getvalue()[14:]
    w, h = img.size
    bmp = bmp[:8] + struct.pack('<i', h * 2) + bmp[12:]
    stride = (w + 31) // 32 * 4
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if mask.getpixel((x, y)) == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    data = bmp + b''.join(rows)
    head = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w, h, 0, 0, 1, img.info.get('bits', 0), len(data), 22)
    open(name, 'wb').write(head + data)

mask = Image.new('L', (24, 20), 0)
ImageDraw.Draw(mask).ellipse((2, 1, 21, 18), fill=255)
mono = Image.new('1', (24, 20), 1)
ImageDraw.Draw(mono).rectangle((5, 4, 15, 12), fill=0)
icon(mono, mask, 'iconset_pil_1bit.ico')
rgb = Image.new('RGB', (24, 20))
for y in range(20):
    for x in range(24):
        rgb.putpixel((x, y), (x * 10, y * 12, 200 - x * 5))
icon(rgb, mask, 'iconset_pil_24bit.ico')
PY

# What Pillow decodes: every entry of the icons of several sizes, the one
# entry of the others.
$python - <<'PY'
from PIL import Image
for name, sizes in [('iconset_im_multi', [16, 32, 48, 256]), ('iconset_im_16_32', [16, 32])]:
    for s in sizes:
        im = Image.open(name + '.ico')
        im.size = (s, s)
        open('%s_%d.rgba' % (name, s), 'wb').write(im.convert('RGBA').tobytes())
for name in ['iconset_im_4bit', 'iconset_im_8bit', 'iconset_pil_1bit', 'iconset_pil_24bit']:
    open(name + '.rgba', 'wb').write(Image.open(name + '.ico').convert('RGBA').tobytes())
PY

# A soft-edged picture with transparent surroundings, and ImageMagick's box
# filter shrinking it to a third (each pixel the alpha-weighted mean of 3 x 3).
$convert -size 48x48 xc:none -fill 'rgba(255,40,0,1)' -draw 'circle 24,24 24,6' -blur 0x2 -depth 8 \
  -define png:color-type=6 scale_im_48.png
$convert scale_im_48.png -filter Box -resize 16x16 -depth 8 -define png:color-type=6 "$tmp/box16.png"
$python -c "from PIL import Image; open('scale_im_box16.rgba','wb').write(Image.open('$tmp/box16.png').convert('RGBA').tobytes())"
