#!/usr/bin/env bash
# Remakes tests/data/wri-reference/: for every Windows Write file of the
# shared corpus, the text an independent reader (LibreOffice) finds in it,
# so the Write reader's output can be compared with a second opinion.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/make-wri-references.sh
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
dest=$root/tests/data/wri-reference

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
[ -d "$corpus/wri" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/wri-references.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT

shopt -s nullglob
inputs=("$corpus"/wri/*.wri)
[ ${#inputs[@]} -gt 0 ] || { echo "error: no .wri files in $corpus/wri" >&2; exit 1; }

timeout "$limit" "$soffice" -env:UserInstallation=file://"$profile" --headless \
    --convert-to "txt:Text (encoded):UTF8" --outdir "$work" "${inputs[@]}" >/dev/null

mkdir -p "$dest"
for file in "${inputs[@]}"; do
    name=$(basename "$file")
    out="$work/${name%.*}.txt"
    [ -f "$out" ] || { echo "error: LibreOffice made no text for $name" >&2; exit 1; }
    cp "$out" "$dest/$name.txt"
done
echo "wrote ${#inputs[@]} references to $dest"
