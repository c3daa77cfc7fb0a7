#!/bin/sh
# Counts, with grep, how often some words stand as whole words in the text an
# independent reader found in a few corpus RTF files
# (tests/data/rtf-reference/NAME.txt), and writes the table the search tests
# compare their own counts with: tests/data/search-counts.tsv, one line per
# file and word: NAME, WORD, COUNT, separated by tabs.
#
# grep -w takes letters, digits and the underscore as word characters; the
# words chosen here stand between blanks and punctuation, where the search's
# own word bounds agree with it.
set -eu
cd "$(dirname "$0")/.."
refs=tests/data/rtf-reference
out=tests/data/search-counts.tsv
: >"$out.tmp"
for name in derived__odf12-part1.lo derived__pandoc-manual.pandoc rtfpipe__old3_from_web jsw__bookmark.docx \
    rtfpipe__tables_from_web1; do
    for word in the of and document element attribute table pandoc Format; do
        count=$(LC_ALL=C.UTF-8 grep -o -w -- "$word" "$refs/$name.txt" | wc -l)
        printf '%s\t%s\t%s\n' "$name" "$word" "$count" >>"$out.tmp"
    done
done
mv "$out.tmp" "$out"
