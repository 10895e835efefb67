#!/usr/bin/python3
"""Checks the converted sample icons against their PNG sources.

    /usr/bin/python3 sample/check_icons.py PNG_FOLDER PACK_FOLDER

Every PSD must be an 8-bit RGB document with 4 channels whose merged image is
PackBits-compressed and decodes (with Pillow) to the PNG's pixels, alpha
included; every ICO must hold one 32-bit image with a 40-byte header directly
behind its directory, decoding to the PNG's pixels.
"""
import os
import struct
import sys

from PIL import Image


def same_pixels(decoded, png):
    a = list(decoded.convert("RGBA").getdata())
    b = list(png.convert("RGBA").getdata())
    # colour under full transparency carries no meaning
    return len(a) == len(b) and all(x == y or (x[3] == 0 and y[3] == 0) for x, y in zip(a, b))


def check_psd(path, png):
    d = open(path, "rb").read()
    sig, _ver, _res, channels, rows, cols, depth, mode = struct.unpack(">4sH6sHIIHH", d[:26])
    assert sig == b"8BPS" and channels == 4 and depth == 8 and mode == 3, (path, channels, depth, mode)
    p = 26
    for _section in range(3):  # colour mode data, image resources, layer and mask information
        p += 4 + struct.unpack(">I", d[p:p + 4])[0]
    compression = struct.unpack(">H", d[p:p + 2])[0]
    assert compression == 1, (path, "compression", compression)
    img = Image.open(path)
    img.load()
    assert img.mode == "RGBA" and img.size == (cols, rows) == png.size, (path, img.mode, img.size)
    assert same_pixels(img, png), (path, "merged image differs from the PNG")
    assert min(img.getchannel("A").getdata()) == 0 and 0 < sorted(set(img.getchannel("A").getdata()))[1] < 255


def check_ico(path, png):
    d = open(path, "rb").read()
    _res, _type, count = struct.unpack("<HHH", d[:6])
    header_size, width, height2, _planes, bits = struct.unpack("<IiiHH", d[22:38])
    assert count == 1 and header_size == 40 and bits == 32, (path, count, header_size, bits)
    assert (width, height2 // 2) == png.size, (path, width, height2)
    img = Image.open(path)
    img.load()
    assert same_pixels(img, png), (path, "icon differs from the PNG")


def main():
    pngs, pack = sys.argv[1], sys.argv[2]
    checked = 0
    for name in sorted(os.listdir(pack)):
        stem, ext = os.path.splitext(name)
        if ext.lower() not in (".psd", ".ico"):
            continue
        png = Image.open(os.path.join(pngs, stem + ".png"))
        (check_psd if ext.lower() == ".psd" else check_ico)(os.path.join(pack, name), png)
        checked += 1
    print(f"{checked} icons checked")


if __name__ == "__main__":
    main()
