#!/usr/bin/env python3
"""Prints where the RTF reader's text of a corpus file differs from the reference.

The RTF reader's test compares our text of every corpus file with what an
independent reader found in it (tests/data/rtf-reference/NAME.txt) and gives
only a percentage. This script shows the first spans that differ, word by
word, so that a low figure can be traced to its cause.

    mkdir -p /tmp/rtf-text
    REZ_RTF_TEXT_DIR=/tmp/rtf-text build/check/files_tests \\
        --gtest_filter=RtfReaderTest.CorpusTextFidelity
    scripts/rtf-text-diff.py /tmp/rtf-text NAME [SPANS]

NAME is the reference's name without ".txt"; SPANS (default 8) is how many
differing spans to print. Only the standard library is used.
"""

import difflib
import pathlib
import sys


def words(text):
    return text.replace("\u00a0", " ").split()


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    ours_dir, name = pathlib.Path(sys.argv[1]), sys.argv[2]
    spans = int(sys.argv[3]) if len(sys.argv) > 3 else 8
    reference_dir = pathlib.Path(__file__).resolve().parent.parent / "tests" / "data" / "rtf-reference"
    ours = words((ours_dir / (name + ".txt")).read_text(encoding="utf-8", errors="replace"))
    theirs = words((reference_dir / (name + ".txt")).read_text(encoding="utf-8-sig", errors="replace"))
    matcher = difflib.SequenceMatcher(None, ours, theirs, autojunk=False)
    shown = 0
    for tag, a0, a1, b0, b1 in matcher.get_opcodes():
        if tag == "equal":
            continue
        before = " ".join(ours[max(0, a0 - 4):a0])
        print(f"{tag} after ...{before}")
        print("  ours:      " + " ".join(ours[a0:min(a1, a0 + 30)]))
        print("  reference: " + " ".join(theirs[b0:min(b1, b0 + 30)]))
        shown += 1
        if shown >= spans:
            break
    print(f"{len(ours)} words ours, {len(theirs)} words in the reference")


if __name__ == "__main__":
    main()
