#!/usr/bin/env python3
"""Writes the footnote and endnote texts of a flat OpenDocument text (.fodt).

    note-reference-texts.py INPUT.fodt OUTPUT.tsv

One line per note, in the order of the notes' references in the text:
"footnote" or "endnote", a tab, and the note's text with its paragraphs
joined by spaces and every run of white space folded to one space. Only the
standard library is used.
"""

import sys
import xml.etree.ElementTree as ET

TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"


def tag(ns, name):
    return "{%s}%s" % (ns, name)


def flatten(element, out):
    """Appends the text an element shows; spaces, tabs and breaks as spaces."""
    if element.tag in (tag(TEXT, "s"), tag(TEXT, "tab"), tag(TEXT, "line-break")):
        out.append(" ")
    elif element.tag in (tag(TEXT, "note"), tag(TEXT, "note-citation")):
        # A note inside a note cannot occur; a citation is the number.
        pass
    elif element.text:
        out.append(element.text)
    for child in element:
        flatten(child, out)
        if child.tail:
            out.append(child.tail)
    if element.tag in (tag(TEXT, "p"), tag(TEXT, "h")):
        out.append(" ")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root = ET.parse(sys.argv[1]).getroot()
    body = root.find(tag(OFFICE, "body"))
    lines = []
    for note in body.iter(tag(TEXT, "note")):
        kind = note.get(tag(TEXT, "note-class"), "footnote")
        note_body = note.find(tag(TEXT, "note-body"))
        parts = []
        if note_body is not None:
            for child in note_body:
                flatten(child, parts)
        text = " ".join("".join(parts).replace("\u00a0", " ").split())
        lines.append("%s\t%s\n" % (kind, text))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
