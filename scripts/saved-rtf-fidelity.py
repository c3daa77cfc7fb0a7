#!/usr/bin/env python3
"""Tabulates the word fidelity of our saved RTF files against the originals.

Called by scripts/check-saved-rtf-in-libreoffice.sh with its work folder,
which holds orig/ and ours/ (the RTF files) and orig-txt/ and ours-txt/
(LibreOffice's plain text of each). Fidelity is measured as the tests
measure it (tests/support/TextFidelity.h): the words both texts share,
counted with their multiplicity, against the larger of the two word counts.
Only the standard library is used.
"""

import collections
import pathlib
import sys

# LibreOffice writes a no-break space or a six-per-em space for some spaces;
# they separate words as spaces do.
SPACES = {"\u00a0": " ", "\u2006": " "}


def words(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    for old, new in SPACES.items():
        text = text.replace(old, new)
    return text.split()


def fidelity(ours, reference):
    if not ours and not reference:
        return 100.0
    shared = sum((collections.Counter(ours) & collections.Counter(reference)).values())
    return 100.0 * shared / max(len(ours), len(reference))


def main():
    work = pathlib.Path(sys.argv[1])
    version = sys.argv[2] if len(sys.argv) > 2 else ""
    print(f"# Saved RTF against the original, both read by {version}")
    print("# file\toriginal words\tour words\tfidelity %\tnote")
    below = 0
    names = sorted(p.name for p in (work / "orig").iterdir())
    for name in names:
        stem = pathlib.Path(name).stem
        orig_txt = work / "orig-txt" / (stem + ".txt")
        ours_rtf = work / "ours" / name
        ours_txt = work / "ours-txt" / (stem + ".txt")
        if not ours_rtf.exists():
            err = work / "ours" / (name + ".err")
            reason = err.read_text(errors="replace").strip().splitlines()[:1] if err.exists() else []
            print(f"{name}\t-\t-\t-\tnot saved: {reason[0] if reason else 'no reason given'}")
            below += 1
            continue
        if not orig_txt.exists():
            print(f"{name}\t-\t-\t-\tLibreOffice did not read the original")
            continue
        if not ours_txt.exists():
            print(f"{name}\t-\t-\t-\tLibreOffice did not read our copy")
            below += 1
            continue
        a, b = words(orig_txt), words(ours_txt)
        f = fidelity(b, a)
        if f < 100.0:
            below += 1
        print(f"{name}\t{len(a)}\t{len(b)}\t{f:.2f}\t")
    print(f"# {len(names)} files, {below} below 100 %")


if __name__ == "__main__":
    main()
