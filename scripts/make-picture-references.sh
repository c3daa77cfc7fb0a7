#!/usr/bin/env bash
# Remakes tests/data/picture-reference/: for every RTF file of the shared
# corpus that holds pictures, its pictures with the size ImageMagick's
# identify finds in their bytes (scripts/rtf-pictures.py), so that the RTF
# reader's picture sizes can be compared with a second opinion.
#
# ImageMagick is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends imagemagick
#
# Usage: scripts/make-picture-references.sh
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
dest=$root/tests/data/picture-reference

command -v identify >/dev/null || { echo "error: identify not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

mkdir -p "$dest"
find "$dest" -maxdepth 1 -type f -name '*.tsv' -delete
count=0
for dir in "$corpus/rtf" "$corpus/big"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
        grep -q '\\pict' "$file" || continue
        name=$(basename "$file")
        python3 "$root/scripts/rtf-pictures.py" "$file" "$dest/${name%.*}.tsv"
        count=$((count + 1))
    done < <(find "$dir" -maxdepth 1 -type f -iname '*.rtf' -print0 | sort -z)
done
version=$(identify -version | head -n 1)
{
    echo "# Pictures of the corpus RTF files"
    echo
    echo "Made by scripts/make-picture-references.sh with $version from the $count corpus files"
    echo "that hold pictures: one line per \"pict\" group in file order (its index, kind word, data"
    echo "bytes, the width and height identify finds, \"-\" where it reads none, and whether it is"
    echo "the picture itself or an alternative written for other readers). Files without a list"
    echo "here hold no pictures."
} >"$dest/README.md"
echo "$count files"
