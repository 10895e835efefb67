#!/usr/bin/env python3
"""Makes the folders of images with awkward names that the name tests give to
quelo-pack. Made on the Linux side for the Windows build too: Windows programs
cannot create most of these names, yet meet them in folders that came from
Linux (a shared drive, a zip, WSL), which is what the tests are about.

usage: make_name_folders.py OUT PNG PSD"""
import os
import shutil
import sys

DEVICES = ["CON", "PRN", "AUX", "NUL"] + [f"COM{i}" for i in range(1, 10)] + [f"LPT{i}" for i in range(1, 10)]


def bad_names():
    names = []
    for i, d in enumerate(DEVICES):
        names.append(d + ".png")
        names.append((d.lower() if i % 2 else d.capitalize()) + ".PNG")
    names += ["con.tar.png", "CON .png", "COM\u00b9.png", "CONIN$.png"]
    names += [f"a{c}b.png" for c in '<>:"\\|?*']
    names += ["b\uf03ac.png"]  # how WSL and Cygwin keep a Linux "b:c.png" for Windows
    names += ["a\x01b.png", "tab\t.png", "a\x1fb.png"]
    names += ["trail.png.", "space.png ", "dots.png.."]
    return names


FOLDERS = {
    "bad": [("add.png", "png")] + [(n, "png") for n in bad_names()] + [("CON", "png"), ("a:b.txt", "png")],
    "twins": [("Icon.png", "png"), ("icon.psd", "psd"), ("OTHER.PNG", "png"), ("other.psd", "psd")],
    "twins-dot": [("trail.psd", "psd"), ("trail.psd.", "psd")],
    "twins-wide": [("\uff21\uff22\uff23.png", "png"), ("\uff41\uff42\uff43.psd", "psd")],
    "fine": [("add.png", "png"), ("\u30b3\u30d4\u30fc \u7de8\u96c6.png", "png"), ("\uff76\uff6f\uff84.png", "png"),
             ("a.b.c.png", "png"), ("n" * 251 + ".png", "png"), ("one.psd", "psd"), ("CON", "png"),
             ("a:b.txt", "png")],
}


def main():
    out, png, psd = sys.argv[1:4]
    shutil.rmtree(out, ignore_errors=True)
    for folder, files in FOLDERS.items():
        os.makedirs(os.path.join(out, folder))
        for name, kind in files:
            shutil.copyfile(png if kind == "png" else psd, os.path.join(out, folder, name))
    with open(os.path.join(out, "stamp"), "w") as f:
        f.write("made\n")


if __name__ == "__main__":
    main()
