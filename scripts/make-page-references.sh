#!/usr/bin/env bash
# Remakes tests/data/page-reference/page-counts.tsv: for every RTF file of the
# shared corpus, the number of pages LibreOffice lays it out on, so the page
# count of our pagination can be compared with a second opinion.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
# pdfinfo (poppler-utils) is used when installed; otherwise the pages are
# counted from the PDF's page objects.
#
# Usage: scripts/make-page-references.sh
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
dest=$root/tests/data/page-reference/page-counts.tsv

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/page-references.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT

count_pages() {
    if command -v pdfinfo >/dev/null; then
        pdfinfo "$1" | awk '/^Pages:/ { print $2 }'
    else
        # Page objects are "/Type /Page" not followed by "s" (that is the
        # page tree); LibreOffice writes its PDFs without object streams, so
        # the dictionaries are readable as they stand.
        python3 - "$1" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
print(len(re.findall(rb'/Type\s*/Page(?![A-Za-z])', data)))
PY
    fi
}

# Inputs are linked under their own names into one folder, so that one
# LibreOffice run converts them all (its start-up costs more than most
# conversions) and two corpus folders holding the same name are caught.
mkdir -p "$work/in" "$work/out"
inputs=()
for dir in "$corpus/rtf" "$corpus/big"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
        name=$(basename "$file")
        if [ -e "$work/in/$name" ]; then
            echo "error: $name is in more than one corpus folder" >&2
            exit 1
        fi
        ln -s "$file" "$work/in/$name"
        inputs+=("$name")
    done < <(find "$dir" -maxdepth 1 -type f -iname '*.rtf' -print0 | sort -z)
done
[ ${#inputs[@]} -gt 0 ] || { echo "error: no .rtf files under $corpus" >&2; exit 1; }

version=$("$soffice" --version 2>/dev/null | head -n 1 | awk '{ print $1 " " $2 }')
echo "${#inputs[@]} files, $version"
(cd "$work/in" && timeout "$limit" "$soffice" -env:UserInstallation="file://$profile" \
    --headless --convert-to pdf --outdir "$work/out" "${inputs[@]}" >/dev/null 2>&1) ||
    echo "warning: LibreOffice ended with an error; files without a PDF are left out" >&2

tmp=$dest.tmp
printf 'file\tpages\tlibreoffice\n' >"$tmp"
for name in "${inputs[@]}"; do
    pdf=$work/out/${name%.*}.pdf
    if [ ! -f "$pdf" ]; then
        echo "warning: $name gave no PDF" >&2
        continue
    fi
    pages=$(count_pages "$pdf")
    printf '%s\t%s\t%s\n' "$name" "$pages" "$version" >>"$tmp"
    echo "$name $pages"
done
# The table is replaced only once it is complete, so a failed run leaves the
# previous one in place.
mv "$tmp" "$dest"
