#!/usr/bin/env bash
# Remakes tests/data/note-reference/: for every RTF file of the shared corpus
# that holds notes ("\footnote"), the footnote and endnote texts an
# independent reader (LibreOffice) finds in it, one line per note
# (scripts/note-reference-texts.py), so that the RTF reader's notes can be
# compared with a second opinion.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/make-note-references.sh
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
#              SOFFICE      the LibreOffice program (default soffice)
#              REZ_TIMEOUT  seconds one LibreOffice run may take (default 900)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
soffice=${SOFFICE:-soffice}
limit=${REZ_TIMEOUT:-900}
dest=$root/tests/data/note-reference
texts=$root/scripts/note-reference-texts.py

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/note-references.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT
mkdir -p "$work/in" "$work/fodt" "$work/out"

inputs=()
for dir in "$corpus/rtf" "$corpus/big"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
        grep -q '\\footnote' "$file" || continue
        name=$(basename "$file")
        ln -s "$file" "$work/in/$name"
        inputs+=("$name")
    done < <(find "$dir" -maxdepth 1 -type f -iname '*.rtf' -print0 | sort -z)
done
[ ${#inputs[@]} -gt 0 ] || { echo "error: no .rtf file with notes under $corpus" >&2; exit 1; }

version=$("$soffice" --version 2>/dev/null | head -n 1)
echo "${#inputs[@]} files with notes, $version"

failures=()
for name in "${inputs[@]}"; do
    stem=${name%.*}
    timeout "$limit" "$soffice" --headless --norestore "-env:UserInstallation=file://$profile" \
        --convert-to fodt --outdir "$work/fodt" "$work/in/$name" >>"$work/convert.log" 2>&1 || true
    if [ -s "$work/fodt/$stem.fodt" ]; then
        python3 "$texts" "$work/fodt/$stem.fodt" "$work/out/$stem.tsv"
    else
        failures+=("$name")
    fi
done

mkdir -p "$dest"
find "$dest" -maxdepth 1 -type f -name '*.tsv' -delete
find "$work/out" -maxdepth 1 -type f -exec cp -t "$dest/" {} +
{
    echo "# Note texts of the corpus RTF files"
    echo
    echo "Made by scripts/make-note-references.sh with $version from ${#inputs[@]} files holding"
    echo "notes: one line per note, its class (footnote or endnote), a tab and its text with white"
    echo "space folded. Files without a list here hold no notes."
    if [ ${#failures[@]} -gt 0 ]; then
        echo
        echo "LibreOffice made no output for:"
        echo
        for f in "${failures[@]}"; do echo "- $f"; done
    fi
} >"$dest/README.md"
echo "${#inputs[@]} files, ${#failures[@]} failures"
