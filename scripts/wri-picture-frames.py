#!/usr/bin/env python3
"""Prints the picture frames of OpenDocument text files as one table line each.

    scripts/wri-picture-frames.py NAME=FILE.odt ...

For each file: NAME, the number of picture frames (draw:frame holding a
draw:image) in document order, then each frame's svg:width and svg:height
in twips. Only the standard library is used.
"""

import sys
import xml.etree.ElementTree as ET
import zipfile

DRAW = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
SVG = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"

# Twips per unit of the lengths OpenDocument writes.
UNITS = {"in": 1440.0, "cm": 1440 / 2.54, "mm": 144 / 2.54, "pt": 20.0, "pc": 240.0, "px": 15.0}


def twips(length):
    for unit, factor in UNITS.items():
        if length.endswith(unit):
            return round(float(length[: -len(unit)]) * factor)
    raise ValueError(f"a length without a known unit: {length}")


def frames(path):
    with zipfile.ZipFile(path) as odt:
        root = ET.fromstring(odt.read("content.xml"))
    sizes = []
    for frame in root.iter(f"{{{DRAW}}}frame"):
        if frame.find(f"{{{DRAW}}}image") is None:
            continue
        sizes.append((twips(frame.get(f"{{{SVG}}}width")), twips(frame.get(f"{{{SVG}}}height"))))
    return sizes


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for arg in sys.argv[1:]:
        name, path = arg.split("=", 1)
        sizes = frames(path)
        print("\t".join([name, str(len(sizes))] + [f"{w}\t{h}" for w, h in sizes]))


if __name__ == "__main__":
    main()
