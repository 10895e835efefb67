#!/usr/bin/python3
"""Draws the sample pack's icons as PNG files (straight alpha, soft edges).

Each icon is drawn eight times larger and scaled down with a box filter, which
gives anti-aliased edges and a soft alpha rim. Usage:

    /usr/bin/python3 sample/draw_icons.py OUTPUT_FOLDER

writes one PNG per icon (see ICONS below) and quelo.png, the program's own icon.
sample/make-icons.sh turns them into the PSD and ICO files of the pack.
"""
import math
import os
import sys

from PIL import Image, ImageDraw

SS = 8  # supersampling factor


def canvas(w, h):
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def finish(img, w, h):
    return img.resize((w, h), Image.BOX)


def s(v):
    """Icon pixels to canvas pixels."""
    return v * SS


def sw(v):
    """A line width in icon pixels, as whole canvas pixels."""
    return int(round(v * SS))


def box(x0, y0, x1, y1):
    return [s(x0), s(y0), s(x1), s(y1)]


def pts(points):
    return [(s(x), s(y)) for x, y in points]


def layer(img):
    return Image.new("RGBA", img.size, (0, 0, 0, 0))


def over(img, top):
    return Image.alpha_composite(img, top)


def highlight(img, bbox, alpha=90, clip=None):
    """A soft white gloss ellipse, optionally kept inside the alpha of clip."""
    top = layer(img)
    ImageDraw.Draw(top).ellipse(box(*bbox), fill=(255, 255, 255, alpha))
    if clip is not None:
        a = top.getchannel("A")
        a = Image.composite(a, Image.new("L", a.size, 0), clip.getchannel("A"))
        top.putalpha(a)
    return over(img, top)


def star_points(cx, cy, r_out, r_in, n=5, rot=-90):
    out = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + i * 180.0 / n)
        out.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return out


def sun():
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    for i in range(12):
        a = math.radians(i * 30)
        b = math.radians(7)
        tip = (24 + 22.5 * math.cos(a), 24 + 22.5 * math.sin(a))
        l = (24 + 14 * math.cos(a - b * 2), 24 + 14 * math.sin(a - b * 2))
        r = (24 + 14 * math.cos(a + b * 2), 24 + 14 * math.sin(a + b * 2))
        d.polygon(pts([l, tip, r]), fill=(255, 140, 20, 255))
    d.ellipse(box(10.5, 10.5, 37.5, 37.5), fill=(230, 110, 0, 255))
    d.ellipse(box(12, 12, 36, 36), fill=(255, 200, 30, 255))
    return finish(highlight(img, (15, 14, 27, 23), 110), 48, 48)


def leaf():
    img = canvas(48, 48)
    shape = canvas(48, 48)
    sd = ImageDraw.Draw(shape)
    # the leaf is the overlap of two large circles
    m1 = Image.new("L", shape.size, 0)
    m2 = Image.new("L", shape.size, 0)
    ImageDraw.Draw(m1).ellipse(box(-6, 4, 40, 50), fill=255)
    ImageDraw.Draw(m2).ellipse(box(8, -2, 54, 44), fill=255)
    mask = Image.composite(m1, Image.new("L", m1.size, 0), m2)
    sd.rectangle([0, 0, shape.size[0], shape.size[1]], fill=(40, 150, 60, 255))
    shape.putalpha(mask)
    inner = Image.new("RGBA", shape.size, (90, 190, 80, 255))
    small = mask.resize((mask.size[0], mask.size[1]))
    # inner, lighter blade: the same shape shrunk towards the middle
    shrunk = small.resize((int(mask.size[0] * 0.86), int(mask.size[1] * 0.86)), Image.BOX)
    m3 = Image.new("L", mask.size, 0)
    off = ((mask.size[0] - shrunk.size[0]) // 2, (mask.size[1] - shrunk.size[1]) // 2)
    m3.paste(shrunk, off)
    inner.putalpha(m3)
    img = over(over(img, shape), inner)
    d = ImageDraw.Draw(img)
    d.line(pts([(7, 41), (39, 9)]), fill=(30, 110, 45, 255), width=sw(2))
    for t in (0.3, 0.5, 0.7):
        x, y = 7 + 32 * t, 41 - 32 * t
        d.line(pts([(x, y), (x - 7 + 10 * t, y - 8 + 2 * t)]), fill=(30, 110, 45, 255), width=sw(1.3))
        d.line(pts([(x, y), (x + 8 - 2 * t, y + 7 - 10 * t)]), fill=(30, 110, 45, 255), width=sw(1.3))
    d.line(pts([(3, 45), (8, 40)]), fill=(90, 70, 30, 255), width=sw(2.5))
    return finish(img, 48, 48)


def star():
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    d.polygon(pts(star_points(24, 25.5, 23, 10)), fill=(200, 130, 0, 255))
    d.polygon(pts(star_points(24, 25.5, 19.5, 8.3)), fill=(255, 210, 40, 255))
    d.polygon(pts([(24, 25.5)] + star_points(24, 25.5, 19.5, 8.3)[0:3]), fill=(255, 230, 120, 255))
    return finish(img, 48, 48)


def heart_mask(size, x0, y0, w, h):
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    r = w / 4
    d.ellipse(box(x0, y0, x0 + 2 * r, y0 + 2 * r), fill=255)
    d.ellipse(box(x0 + 2 * r, y0, x0 + 4 * r, y0 + 2 * r), fill=255)
    a = math.radians(40)
    lx, ly = x0 + r - r * math.cos(a) * 1.0, y0 + r + r * math.sin(a)
    rx, ry = x0 + 3 * r + r * math.cos(a), ly
    d.polygon(pts([(x0 + 0.2, y0 + r), (lx, ly), (x0 + 2 * r, y0 + h), (rx, ry), (x0 + w - 0.2, y0 + r),
                   (x0 + 2 * r, y0 + r)]), fill=255)
    return m


def heart():
    img = canvas(48, 48)
    outer = Image.new("RGBA", img.size, (170, 20, 50, 255))
    outer.putalpha(heart_mask(img.size, 2, 5, 44, 40))
    inner = Image.new("RGBA", img.size, (235, 50, 80, 255))
    inner.putalpha(heart_mask(img.size, 4.5, 7.5, 39, 34.5))
    img = over(over(img, outer), inner)
    return finish(highlight(img, (9, 10, 19, 18), 120), 48, 48)


def house():
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    d.rectangle(box(31, 7, 36, 18), fill=(120, 70, 50, 255))           # chimney
    d.rectangle(box(9, 22, 39, 44), fill=(160, 120, 80, 255))          # wall edge
    d.rectangle(box(10.5, 23, 37.5, 42.5), fill=(250, 232, 190, 255))  # wall
    d.polygon(pts([(3, 24), (24, 4), (45, 24)]), fill=(150, 30, 30, 255))
    d.polygon(pts([(7, 22.5), (24, 6.5), (41, 22.5)]), fill=(215, 60, 50, 255))
    d.rectangle(box(15, 29, 22, 44), fill=(120, 75, 40, 255))          # door
    d.ellipse(box(19.3, 36, 20.8, 37.5), fill=(250, 210, 80, 255))
    d.rectangle(box(26, 28, 34, 36), fill=(90, 140, 200, 255))         # window
    d.line(pts([(30, 28), (30, 36)]), fill=(255, 255, 255, 255), width=sw(1.2))
    d.line(pts([(26, 32), (34, 32)]), fill=(255, 255, 255, 255), width=sw(1.2))
    return finish(img, 48, 48)


def flower():
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    for i in range(6):
        a = math.radians(i * 60 - 90)
        cx, cy = 24 + 12 * math.cos(a), 24 + 12 * math.sin(a)
        d.ellipse(box(cx - 9.5, cy - 9.5, cx + 9.5, cy + 9.5), fill=(200, 60, 140, 255))
    for i in range(6):
        a = math.radians(i * 60 - 90)
        cx, cy = 24 + 12 * math.cos(a), 24 + 12 * math.sin(a)
        d.ellipse(box(cx - 8, cy - 8, cx + 8, cy + 8), fill=(250, 130, 190, 255))
    d.ellipse(box(16, 16, 32, 32), fill=(220, 140, 0, 255))
    d.ellipse(box(17.5, 17.5, 30.5, 30.5), fill=(255, 205, 40, 255))
    return finish(highlight(img, (19, 19, 25, 24), 120), 48, 48)


def moon():
    img = canvas(48, 48)
    m = Image.new("L", img.size, 0)
    ImageDraw.Draw(m).ellipse(box(4, 4, 44, 44), fill=255)
    ImageDraw.Draw(m).ellipse(box(16, -2, 52, 34), fill=0)
    rim = Image.new("RGBA", img.size, (200, 160, 30, 255))
    rim.putalpha(m)
    m2 = Image.new("L", img.size, 0)
    ImageDraw.Draw(m2).ellipse(box(6, 6, 42, 42), fill=255)
    ImageDraw.Draw(m2).ellipse(box(14.5, -3.5, 53.5, 35.5), fill=0)
    body = Image.new("RGBA", img.size, (255, 230, 120, 255))
    body.putalpha(m2)
    img = over(over(img, rim), body)
    d = ImageDraw.Draw(img)
    d.polygon(pts(star_points(37, 37, 6, 2.4)), fill=(255, 215, 60, 255))
    d.polygon(pts(star_points(42, 22, 3.5, 1.4)), fill=(255, 215, 60, 255))
    return finish(img, 48, 48)


def raindrop():
    img = canvas(32, 32)
    d = ImageDraw.Draw(img)
    d.ellipse(box(5, 11, 27, 31), fill=(20, 90, 190, 255))
    d.polygon(pts([(6.2, 17), (16, 0.5), (25.8, 17)]), fill=(20, 90, 190, 255))
    d.ellipse(box(6.8, 12.8, 25.2, 29.3), fill=(60, 150, 240, 255))
    d.polygon(pts([(8, 17.5), (16, 3.6), (24, 17.5)]), fill=(60, 150, 240, 255))
    d.ellipse(box(10, 17, 14, 24), fill=(200, 235, 255, 230))
    return finish(img, 32, 32)


def bell():
    img = canvas(32, 32)
    d = ImageDraw.Draw(img)
    d.ellipse(box(14, 1.5, 18, 5.5), outline=(170, 110, 0, 255), width=sw(1.3))
    d.pieslice(box(6, 4, 26, 24), 180, 360, fill=(190, 120, 0, 255))
    d.polygon(pts([(6, 14), (26, 14), (29, 25), (3, 25)]), fill=(190, 120, 0, 255))
    d.pieslice(box(7.5, 5.5, 24.5, 22.5), 180, 360, fill=(250, 200, 40, 255))
    d.polygon(pts([(7.5, 14), (24.5, 14), (27, 23.5), (5, 23.5)]), fill=(250, 200, 40, 255))
    d.rectangle(box(3, 23.5, 29, 25.5), fill=(190, 120, 0, 255))
    d.ellipse(box(13, 24, 19, 30), fill=(150, 90, 0, 255))
    return finish(highlight(img, (10, 7, 15, 17), 120), 32, 32)


def key():
    img = canvas(32, 32)
    d = ImageDraw.Draw(img)
    d.ellipse(box(2, 2, 16, 16), fill=(180, 120, 0, 255))
    d.ellipse(box(3.5, 3.5, 14.5, 14.5), fill=(245, 195, 50, 255))
    d.ellipse(box(6.5, 6.5, 11.5, 11.5), fill=(0, 0, 0, 0))
    d.line(pts([(13, 13), (28, 28)]), fill=(180, 120, 0, 255), width=sw(4.2))
    d.line(pts([(13.5, 13.5), (27.5, 27.5)]), fill=(245, 195, 50, 255), width=sw(2.4))
    d.line(pts([(22, 22), (18.5, 25.5)]), fill=(180, 120, 0, 255), width=sw(3.2))
    d.line(pts([(26, 26), (22.5, 29.5)]), fill=(180, 120, 0, 255), width=sw(3.2))
    return finish(img, 32, 32)


def cloud():
    img = canvas(48, 40)
    blobs = [(5, 17, 23, 35), (13, 7, 33, 27), (25, 12, 43, 30), (18, 18, 40, 37), (31, 21, 45, 35)]
    d = ImageDraw.Draw(img)
    for b in blobs:
        x0, y0, x1, y1 = b
        d.ellipse(box(x0 - 1.5, y0 - 1.5, x1 + 1.5, y1 + 1.5), fill=(110, 150, 200, 255))
    for b in blobs:
        d.ellipse(box(*b), fill=(245, 248, 255, 255))
    d.ellipse(box(9, 26, 40, 36), fill=(215, 225, 240, 255))
    for b in blobs[3:]:
        x0, y0, x1, y1 = b
        d.ellipse(box(x0 + 1, y0, x1 - 1, y1 - 3), fill=(245, 248, 255, 255))
    return finish(img, 48, 40)


def fish():
    img = canvas(48, 40)
    d = ImageDraw.Draw(img)
    d.polygon(pts([(33, 20), (47, 7), (44, 20), (47, 33)]), fill=(200, 90, 20, 255))
    d.polygon(pts([(16, 10), (22, 2), (30, 11)]), fill=(200, 90, 20, 255))
    d.ellipse(box(2, 6, 40, 34), fill=(200, 90, 20, 255))
    d.ellipse(box(3.8, 7.8, 38.2, 32.2), fill=(255, 150, 50, 255))
    d.arc(box(18, 9, 34, 31), 300, 60, fill=(210, 100, 30, 255), width=sw(1.5))
    d.ellipse(box(9, 14, 16, 21), fill=(255, 255, 255, 255))
    d.ellipse(box(11, 15.5, 15, 19.5), fill=(20, 20, 40, 255))
    return finish(highlight(img, (12, 10, 28, 17), 80), 48, 40)


def apple():
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    d.line(pts([(24, 14), (26, 4)]), fill=(100, 60, 20, 255), width=sw(2.6))
    for grow, colour in ((0, (150, 10, 20, 255)), (1.7, (220, 35, 40, 255))):
        d.ellipse(box(4 + grow, 11 + grow, 31 - grow, 44 - grow), fill=colour)
        d.ellipse(box(17 + grow, 11 + grow, 44 - grow, 44 - grow), fill=colour)
        d.ellipse(box(9 + grow, 18 + grow, 39 - grow, 46 - grow), fill=colour)
    d.polygon(pts([(26, 9), (33, 2), (42, 4), (35, 10)]), fill=(60, 160, 60, 255))
    return finish(highlight(img, (9, 17, 17, 28), 130), 48, 48)


def app_icon():
    """The program's own icon: a strip of three tiles on a light panel."""
    img = canvas(48, 48)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(box(1, 9, 47, 39), radius=sw(6), fill=(60, 80, 120, 255))
    d.rounded_rectangle(box(2.5, 10.5, 45.5, 37.5), radius=sw(5), fill=(235, 240, 250, 255))
    colours = [(235, 50, 80), (255, 200, 30), (60, 150, 240)]
    for i, c in enumerate(colours):
        x = 6 + i * 13
        d.rounded_rectangle(box(x, 15, x + 10, 33), radius=sw(2.5), fill=c + (255,))
    return finish(img, 48, 48)


# file stem -> drawing function; the stem is the member's name without extension
ICONS = {
    "sun": sun, "leaf": leaf, "star": star, "heart": heart, "house": house, "flower": flower,
    "moon": moon, "raindrop": raindrop, "bell": bell, "key": key, "cloud": cloud, "fish": fish,
    "apple": apple,
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icons.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for stem, draw in ICONS.items():
        draw().save(os.path.join(out, stem + ".png"))
    app_icon().save(os.path.join(out, "quelo.png"))


if __name__ == "__main__":
    main()
