#!/usr/bin/env bash
# Remakes the tables of tests/data/field-reference: for every RTF file of
# the shared corpus that holds fields, the field results LibreOffice shows,
# so that the results our field code computes can be compared with a second
# opinion.
#
# field-results.tsv: the fields of the body.
# LibreOffice converts each file to flat OpenDocument text (.fodt); the
# field elements of the text:* namespace of the body are then read in
# document order (page numbers, page counts, file names, document
# properties, dates, page references). Fields of headers and footers are
# not recorded: a converted file holds the values of whatever layout
# LibreOffice had made when it wrote the file (a page number of one
# arbitrary page, a page count that disagrees with the pages of its own
# PDF), which says nothing about what the pages show.
#
# page-edges.tsv: what the headers and footers show, page by page, for the
# files whose headers or footers hold page numbers or page counts and that
# have at most 100 pages (the table stays small). Each file is also
# converted to PDF, and pdftotext (poppler-utils) gives the text of every
# page; its first and last three lines that hold anything (where headers
# and footers stand), blanks collapsed, are recorded.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/make-field-references.sh
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
#              SOFFICE      the LibreOffice program (default soffice)
#              REZ_TIMEOUT  seconds the LibreOffice run may take (default 1800)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
soffice=${SOFFICE:-soffice}
limit=${REZ_TIMEOUT:-1800}
dest=$root/tests/data/field-reference/field-results.tsv
edges=$root/tests/data/field-reference/page-edges.tsv

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null ||
    { echo "error: pdftotext and pdfinfo (poppler-utils) not found" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/field-references.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT

# Inputs are linked under their own names into one folder, so that one
# LibreOffice run converts them all.
mkdir -p "$work/in" "$work/out"
inputs=()
for dir in "$corpus/rtf" "$corpus/big"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
        grep -q 'fldinst' "$file" || continue
        name=$(basename "$file")
        if [ -e "$work/in/$name" ]; then
            echo "error: $name is in more than one corpus folder" >&2
            exit 1
        fi
        ln -s "$file" "$work/in/$name"
        inputs+=("$name")
    done < <(find "$dir" -maxdepth 1 -type f -iname '*.rtf' -print0 | sort -z)
done
[ ${#inputs[@]} -gt 0 ] || { echo "error: no .rtf files with fields under $corpus" >&2; exit 1; }

version=$("$soffice" --version 2>/dev/null | head -n 1 | awk '{ print $1 " " $2 }')
echo "${#inputs[@]} files with fields, $version"
(cd "$work/in" && timeout "$limit" "$soffice" -env:UserInstallation="file://$profile" \
    --headless --convert-to fodt --outdir "$work/out" "${inputs[@]}" >/dev/null 2>&1) ||
    echo "warning: LibreOffice ended with an error; files without a result are left out" >&2
(cd "$work/in" && timeout "$limit" "$soffice" -env:UserInstallation="file://$profile" \
    --headless --convert-to pdf --outdir "$work/out" "${inputs[@]}" >/dev/null 2>&1) ||
    echo "warning: LibreOffice ended with an error; files without a PDF are left out" >&2

tmp=$dest.tmp
mkdir -p "$(dirname "$dest")"
printf 'file\tstory\tfield\tordinal\tresult\tlibreoffice\n' >"$tmp"
for name in "${inputs[@]}"; do
    fodt=$work/out/${name%.*}.fodt
    if [ ! -f "$fodt" ]; then
        echo "warning: $name gave no .fodt" >&2
        continue
    fi
    python3 - "$fodt" "$name" "$version" >>"$tmp" <<'PY'
import sys
import xml.etree.ElementTree as ET

TEXT = 'urn:oasis:names:tc:opendocument:xmlns:text:1.0'
OFFICE = 'urn:oasis:names:tc:opendocument:xmlns:office:1.0'
STYLE = 'urn:oasis:names:tc:opendocument:xmlns:style:1.0'
# The OpenDocument field elements and the field keywords they stand for.
KEYWORDS = {
    'page-number': 'PAGE', 'page-count': 'NUMPAGES', 'file-name': 'FILENAME',
    'title': 'TITLE', 'subject': 'SUBJECT', 'initial-creator': 'AUTHOR',
    'author-name': 'AUTHOR', 'keywords': 'KEYWORDS', 'description': 'COMMENTS',
    'creator': 'LASTSAVEDBY', 'creation-date': 'CREATEDATE',
    'modification-date': 'SAVEDATE', 'print-date': 'PRINTDATE',
    'word-count': 'NUMWORDS', 'character-count': 'NUMCHARS',
    'date': 'DATE', 'time': 'TIME', 'note-ref': 'NOTEREF',
}
path, name, version = sys.argv[1:4]
root = ET.parse(path).getroot()


def fields(element):
    for e in element.iter():
        if not e.tag.startswith('{%s}' % TEXT):
            continue
        local = e.tag.split('}')[1]
        keyword = KEYWORDS.get(local)
        if local == 'bookmark-ref' and e.get('{%s}reference-format' % TEXT) == 'page':
            keyword = 'PAGEREF'
        if keyword:
            yield keyword, ''.join(e.itertext())


def clean(text):
    return text.replace('\t', ' ').replace('\n', ' ')


ordinals = {}
body = root.find('{%s}body' % OFFICE)
for keyword, result in fields(body):
    n = ordinals.get(('body', keyword), 0)
    ordinals[('body', keyword)] = n + 1
    print('\t'.join([name, 'body', keyword, str(n), clean(result), version]))
PY
    echo "$name"
done
edgesTmp=$edges.tmp
printf 'file\tpage\tedges\tlibreoffice\n' >"$edgesTmp"
for name in "${inputs[@]}"; do
    pdf=$work/out/${name%.*}.pdf
    fodt=$work/out/${name%.*}.fodt
    if [ ! -f "$pdf" ] || [ ! -f "$fodt" ]; then
        echo "warning: $name gave no PDF" >&2
        continue
    fi
    sed -n '/<office:master-styles>/,/<\/office:master-styles>/p' "$fodt" |
        grep -q -E '<text:page-(number|count)' || continue
    pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
    [ "${pages:-0}" -le 100 ] || continue
    pdftotext -layout -enc UTF-8 "$pdf" - | python3 -c '
import sys
name, version = sys.argv[1:3]
pages = sys.stdin.read().split("\f")
if pages and not pages[-1].strip():
    pages.pop()
for number, page in enumerate(pages, 1):
    lines = [" ".join(line.split()) for line in page.splitlines() if line.strip()]
    shown = lines if len(lines) <= 6 else lines[:3] + lines[-3:]
    print("\t".join([name, str(number), " | ".join(shown), version]))
' "$name" "$version" >>"$edgesTmp"
done
# The tables are replaced only once they are complete, so a failed run
# leaves the previous ones in place.
mv "$tmp" "$dest"
mv "$edgesTmp" "$edges"
