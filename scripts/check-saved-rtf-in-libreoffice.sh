#!/usr/bin/env bash
# Checks that the RTF files our writer saves open in an independent reader
# (LibreOffice) with the same text as the files they were read from: every
# RTF file of the shared corpus (its rtf and big folders) is opened and saved again through
# devtools/rezdump --save-rtf, LibreOffice turns both the original and our
# copy into plain text, and a table gives per file how much of the
# original's words our copy keeps (scripts/saved-rtf-fidelity.py).
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/check-saved-rtf-in-libreoffice.sh [OUTPUT]
#   OUTPUT   the table to write (default tests/data/saved-rtf-fidelity.tsv)
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
#              REZDUMP      the rezdump program (default build/check/devtools/rezdump)
#              SOFFICE      the LibreOffice program (default soffice)
#              REZ_TIMEOUT  seconds one LibreOffice run may take (default 900)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
rezdump=${REZDUMP:-$root/build/check/devtools/rezdump}
soffice=${SOFFICE:-soffice}
limit=${REZ_TIMEOUT:-900}
output=${1:-$root/tests/data/saved-rtf-fidelity.tsv}

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -x "$rezdump" ] || { echo "error: no rezdump at $rezdump (build it, or set REZDUMP)" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user.
work=$(mktemp -d /tmp/saved-rtf-check.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT
mkdir -p "$work/orig" "$work/ours" "$work/orig-txt" "$work/ours-txt"

shopt -s nullglob
count=0
for file in "$corpus"/rtf/*.rtf "$corpus"/rtf/*.RTF "$corpus"/big/*.rtf "$corpus"/big/*.RTF; do
    name=$(basename "$file")
    # Two corpus folders holding the same name would mix their outputs.
    [ ! -e "$work/orig/$name" ] || { echo "error: $name is in more than one corpus folder" >&2; exit 1; }
    ln -s "$file" "$work/orig/$name"
    # A file our program cannot open or save has no copy; the table says so.
    if ! timeout 120 "$rezdump" --save-rtf "$work/ours/$name" "$file" >/dev/null 2>"$work/ours/$name.err"; then
        rm -f "$work/ours/$name"
    fi
    count=$((count + 1))
done
[ $count -gt 0 ] || { echo "error: no .rtf files in $corpus" >&2; exit 1; }

version=$("$soffice" --version 2>/dev/null | head -n 1)
echo "$count files, $version" >&2
for side in orig ours; do
    files=("$work/$side"/*.rtf "$work/$side"/*.RTF)
    [ ${#files[@]} -gt 0 ] || continue
    timeout "$limit" "$soffice" -env:UserInstallation=file://"$profile" --headless \
        --convert-to "txt:Text (encoded):UTF8" --outdir "$work/$side-txt" "${files[@]}" >/dev/null 2>&1 || true
done

python3 "$root/scripts/saved-rtf-fidelity.py" "$work" "$version" >"$output"
echo "table written to $output" >&2
