#!/usr/bin/python3
"""Draws the benchmarks' 16 distinct 48 x 48 RGBA icons as FOLDER/00.png ... 15.png.

    bench/draw-icons.py FOLDER
"""
import sys

from PIL import Image, ImageDraw

folder = sys.argv[1]
for i in range(16):
    img = Image.new("RGBA", (48, 48), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    colour = ((i * 53) % 256, (i * 97 + 80) % 256, (i * 151 + 160) % 256, 255)
    d.ellipse((4 + i % 4, 4, 44, 44 - i % 5), fill=colour, outline=(0, 0, 0, 160), width=2)
    d.text((14, 16), "%02d" % i, fill=(255, 255, 255, 220))
    img.save("%s/%02d.png" % (folder, i))
