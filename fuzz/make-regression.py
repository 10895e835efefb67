#!/usr/bin/python3
"""Remakes the regression inputs of fuzz/corpus/TARGET/regression/ that are
built byte by byte: each is an input of the kind that once found a fault,
named after it. Run from anywhere: fuzz/make-regression.py"""
import os
import struct

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(target, name, data):
    with open(os.path.join(CORPUS, target, "regression", name), "wb") as f:
        f.write(data)


def psd(channels, rows, columns, packed, resources=b""):
    """An 8-bit RGB PSD with PackBits rows (channel 0's rows first)."""
    out = b"8BPS" + struct.pack(">H6xHIIHH", 1, channels, rows, columns, 8, 3)
    out += struct.pack(">I", 0) + struct.pack(">I", len(resources)) + resources + struct.pack(">I", 0)
    out += struct.pack(">H", 1) + b"".join(struct.pack(">H", len(r)) for r in packed) + b"".join(packed)
    return out


def counted_texts(data, at, count):
    """The position behind `count` texts (16-bit length, then bytes) from `at`."""
    for _ in range(count):
        at += 2 + struct.unpack_from("<H", data, at)[0]
    return at


def main():
    # Definition: a DefaultList count far beyond the end of the file, once
    # allocated before the file was asked whether it holds that many bytes.
    with open(os.path.join(CORPUS, "config", "seed", "tiny-pack.ini"), "rb") as f:
        ini = bytearray(f.read())
    at = counted_texts(ini, 6, 1) + 2          # Magic, FormatVersion, PackName, PackVersion
    at = counted_texts(ini, at, 4) + 2         # four pack texts, DefinitionCount
    struct.pack_into("<h", ini, at, 32767)     # DefaultListCount
    write("config", "defaultlist-count-beyond-file.ini", bytes(ini))

    # Archive: a directory Count of 2147483647 behind a real pack, once
    # reserved in one piece before the entries were read.
    with open(os.path.join(CORPUS, "archive_pe", "seed", "tiny-pack.exe"), "rb") as f:
        exe = bytearray(f.read())
    sxar = exe.rindex(b"SXAR")
    struct.pack_into("<i", exe, sxar + 8, 2147483647)
    write("archive_pe", "directory-count-beyond-file.exe", bytes(exe))

    # PSD: a literal run whose bytes are not there (the row's count ends first).
    rows = [b"\x01\x01"] + [b"\xff\x0a"] * 5
    write("psd", "literal-past-its-bytes.psd", psd(3, 2, 2, rows))
    # PSD: 30000 x 30000 pixels claimed by empty rows; the pixels were once
    # allocated before the packed data showed it could fill them.
    write("psd", "more-pixels-than-bytes.psd", psd(3, 30000, 30000, [b""] * 90000))


if __name__ == "__main__":
    main()
