#!/usr/bin/env python3
"""Lists the pictures of an RTF file with the sizes ImageMagick finds in them.

    rtf-pictures.py INPUT.rtf OUTPUT.tsv

Every "pict" group of the file, in file order (also those inside "shp",
"object", "nonshppict" and list pictures), has its data taken out (hex
digits or "bin" bytes) and given to ImageMagick's identify. One line per
picture: its index, its kind word (pngblip, jpegblip, emfblip, wmetafile,
dibitmap, wbitmap, or "none"), the number of data bytes, the width and
height in pixels identify reports ("-" "-" when identify cannot read the
data), and "alternative" for a picture written for readers that do not know
the one before it (inside "nonshppict" or "shprslt") or a list picture
("listpicture"), else "picture". Only the standard library and identify are used.
"""

import re
import subprocess
import sys
import tempfile

KINDS = ("pngblip", "jpegblip", "emfblip", "wmetafile", "dibitmap", "wbitmap", "macpict", "pmmetafile")
WORD = re.compile(rb"\\([a-zA-Z]+)(-?\d+)? ?")


def inside(data, at, word):
    """Whether the position lies inside a group that begins with the word."""
    start = data.rfind(b"\\" + word, 0, at)
    while start >= 0:
        if not data[start + 1 + len(word):start + 2 + len(word)].isalpha():
            break
        start = data.rfind(b"\\" + word, 0, start)
    if start < 0:
        return False
    depth = 0
    i = start
    while i < at:
        c = data[i:i + 1]
        if c == b"\\":
            m = WORD.match(data, i)
            if m and m.group(1) == b"bin" and m.group(2):
                i = m.end() + int(m.group(2))
                continue
            i += 2
            continue
        if c == b"{":
            depth += 1
        elif c == b"}":
            depth -= 1
            if depth < 0:
                return False
        i += 1
    return True


def pictures(data):
    """Yields (kind, bytes, alternative) for each pict group."""
    at = 0
    while True:
        at = data.find(b"\\pict", at)
        if at < 0:
            return
        after = data[at + 5:at + 6]
        if after.isalpha():  # \pichgoal and its kin are not the destination
            at += 5
            continue
        alternative = any(inside(data, at, w) for w in (b"nonshppict", b"shprslt", b"listpicture"))
        at += 5
        kind = "none"
        hexdigits = bytearray()
        raw = bytearray()
        depth = 1
        i = at
        while i < len(data) and depth > 0:
            c = data[i:i + 1]
            if c == b"{":
                # Nested groups (picprop, blipuid, jpegdata) hold no picture data.
                d, j = 1, i + 1
                while j < len(data) and d > 0:
                    if data[j:j + 1] == b"\\":
                        j += 2
                        continue
                    if data[j:j + 1] == b"{":
                        d += 1
                    elif data[j:j + 1] == b"}":
                        d -= 1
                    j += 1
                i = j
                continue
            if c == b"}":
                depth -= 1
                i += 1
                continue
            if c == b"\\":
                m = WORD.match(data, i)
                if m:
                    word = m.group(1).decode()
                    if word in KINDS:
                        kind = word
                    if word == "bin" and m.group(2):
                        n = int(m.group(2))
                        start = m.end()
                        raw += data[start:start + n]
                        i = start + n
                        continue
                    i = m.end()
                    continue
                i += 2
                continue
            if c in b"0123456789abcdefABCDEF":
                hexdigits += c
            i += 1
        at = i
        if len(hexdigits) % 2:
            hexdigits = hexdigits[:-1]
        yield kind, bytes(raw) + bytes.fromhex(hexdigits.decode()), alternative


def identify(kind, payload):
    suffix = {"pngblip": "png", "jpegblip": "jpg", "emfblip": "emf", "wmetafile": "wmf",
              "dibitmap": "bmp", "wbitmap": "bmp"}.get(kind)
    if suffix is None or not payload:
        return "-", "-"
    if kind == "dibitmap":
        # A packed DIB: a BMP file header in front makes a file identify reads.
        header_size = int.from_bytes(payload[0:4], "little")
        bits = int.from_bytes(payload[14:16], "little") if header_size >= 16 else 0
        colors = int.from_bytes(payload[32:36], "little") if header_size >= 36 else 0
        if colors == 0 and bits <= 8:
            colors = 1 << bits
        offset = 14 + header_size + 4 * colors
        payload = b"BM" + (14 + len(payload)).to_bytes(4, "little") + b"\0\0\0\0" + offset.to_bytes(4, "little") + payload
    with tempfile.NamedTemporaryFile(suffix="." + suffix) as f:
        f.write(payload)
        f.flush()
        try:
            out = subprocess.run(["identify", "-format", "%w %h\n", f.name + "[0]"], capture_output=True,
                                 text=True, timeout=60)
        except subprocess.TimeoutExpired:
            return "-", "-"
        lines = out.stdout.split()
        if out.returncode != 0 or len(lines) < 2:
            return "-", "-"
        return lines[0], lines[1]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    data = open(sys.argv[1], "rb").read()
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        for index, (kind, payload, alternative) in enumerate(pictures(data)):
            w, h = identify(kind, payload)
            role = "alternative" if alternative else "picture"
            out.write("%d\t%s\t%d\t%s\t%s\t%s\n" % (index, kind, len(payload), w, h, role))


if __name__ == "__main__":
    main()
