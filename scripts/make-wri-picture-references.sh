#!/usr/bin/env bash
# Remakes tests/data/wri-pictures.tsv: for every Windows Write file of the
# shared corpus, the size of each picture an independent reader
# (LibreOffice) shows, so the Write reader's picture sizes can be compared
# with a second opinion. The files are turned into OpenDocument text and
# their picture frames read by scripts/wri-picture-frames.py.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/make-wri-picture-references.sh
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
#              SOFFICE      the LibreOffice program (default soffice)
#              REZ_TIMEOUT  seconds the LibreOffice run may take (default 300)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
soffice=${SOFFICE:-soffice}
limit=${REZ_TIMEOUT:-300}
dest=$root/tests/data/wri-pictures.tsv

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -d "$corpus/wri" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/wri-pictures.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT

shopt -s nullglob
inputs=("$corpus"/wri/*.wri)
[ ${#inputs[@]} -gt 0 ] || { echo "error: no .wri files in $corpus/wri" >&2; exit 1; }

timeout "$limit" "$soffice" -env:UserInstallation=file://"$profile" --headless \
    --convert-to odt --outdir "$work" "${inputs[@]}" >/dev/null

args=()
for file in "${inputs[@]}"; do
    name=$(basename "$file")
    odt="$work/${name%.*}.odt"
    [ -f "$odt" ] || { echo "error: LibreOffice did not convert $name" >&2; exit 1; }
    args+=("$name=$odt")
done
{
    echo "# Picture frames LibreOffice shows in the Write files of the corpus:"
    echo "# file, frame count, then width and height in twips of each frame."
    echo "# $("$soffice" --version 2>/dev/null | head -n 1)"
    python3 "$root/scripts/wri-picture-frames.py" "${args[@]}"
} >"$dest"
echo "wrote $dest"
