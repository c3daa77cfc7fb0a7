#!/usr/bin/env bash
# Remakes tests/data/rtf-reference/: for every RTF file of the shared corpus,
# the text and the table cells an independent reader (LibreOffice) finds in
# it, so the RTF reader's output can be compared with a second opinion.
#
# LibreOffice is used by hand on a developer machine only; nothing in the
# build or in CI needs it. Install it with
#   apt-get install --no-install-recommends libreoffice-writer-nogui
#
# Usage: scripts/make-rtf-references.sh
# Environment: REZ_CORPUS   the corpus folder (default ../shared/corpus
#                           beside the repository)
#              SOFFICE      the LibreOffice program (default soffice)
#              REZ_BATCH    files per LibreOffice run (default 20)
#              REZ_TIMEOUT  seconds one LibreOffice run may take (default 900)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
corpus=${REZ_CORPUS:-$root/../shared/corpus}
soffice=${SOFFICE:-soffice}
batch=${REZ_BATCH:-20}
limit=${REZ_TIMEOUT:-900}
dest=$root/tests/data/rtf-reference
tables=$root/scripts/rtf-reference-tables.py
# Text exports above this size are stored gzip-compressed so the repository
# stays small; the README says which.
gzip_above=$((5 * 1024 * 1024))

command -v "$soffice" >/dev/null || { echo "error: $soffice not found (see the top of $0)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "error: python3 not found" >&2; exit 1; }
[ -d "$corpus/rtf" ] || { echo "error: no corpus at $corpus (set REZ_CORPUS)" >&2; exit 1; }

# A private LibreOffice profile keeps this run from handing its files to a
# LibreOffice already running for the same user, and from colliding with a
# second run of this script.
work=$(mktemp -d /tmp/rtf-references.XXXXXX)
profile=$(mktemp -d /tmp/lo-profile-XXXXXX)
trap 'rm -rf "$work" "$profile"' EXIT
mkdir -p "$work/in" "$work/txt" "$work/html" "$work/out"

# Inputs are linked under their own names into one folder, so two corpus
# folders holding the same name are caught here instead of one output
# silently replacing the other.
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

version=$("$soffice" --version 2>/dev/null | head -n 1)
echo "${#inputs[@]} files, $version"

# LibreOffice names each output after its input with the last extension
# replaced.
stem() { printf '%s' "${1%.*}"; }

# Runs one LibreOffice conversion of the given inputs; its messages go to the
# log named by the first argument.
convert() {
    local log=$1 filter=$2 outdir=$3
    shift 3
    local files=()
    for name in "$@"; do files+=("$work/in/$name"); done
    timeout "$limit" "$soffice" --headless --norestore "-env:UserInstallation=file://$profile" \
        --convert-to "$filter" --outdir "$outdir" "${files[@]}" >>"$log" 2>&1
}

# Starting LibreOffice costs seconds, so files go through in batches. One
# file that stops a batch (a crash or the time limit) must not cost the rest,
# so any file left without an output is tried again alone; that lone run's
# message is the one recorded for it.
failures=()
convert_all() {
    local filter=$1 outdir=$2 ext=$3 kind=$4
    local i status
    for ((i = 0; i < ${#inputs[@]}; i += batch)); do
        convert "$work/$kind.log" "$filter" "$outdir" "${inputs[@]:i:batch}" || true
    done
    for name in "${inputs[@]}"; do
        [ -s "$outdir/$(stem "$name").$ext" ] && continue
        : >"$work/lone.log"
        status=0
        convert "$work/lone.log" "$filter" "$outdir" "$name" || status=$?
        [ -s "$outdir/$(stem "$name").$ext" ] && continue
        local why
        why=$(grep -E '^Error' "$work/lone.log" | head -n 1 || true)
        [ -n "$why" ] || why="no output (exit status $status)"
        failures+=("$name ($kind export): $why")
    done
}

echo "converting to text"
convert_all "txt:Text (encoded):UTF8" "$work/txt" txt text
echo "converting to HTML"
convert_all html "$work/html" html HTML

for name in "${inputs[@]}"; do
    s=$(stem "$name")
    if [ -s "$work/txt/$s.txt" ]; then
        if [ "$(stat -c %s "$work/txt/$s.txt")" -gt "$gzip_above" ]; then
            gzip -n -9 -c "$work/txt/$s.txt" >"$work/out/$s.txt.gz"
        else
            cp "$work/txt/$s.txt" "$work/out/$s.txt"
        fi
    fi
    if [ -s "$work/html/$s.html" ]; then
        python3 "$tables" "$work/html/$s.html" "$work/out/$s.tables.tsv"
    fi
done

# The folder is replaced as a whole, so outputs of files that left the corpus
# do not linger; the README's hand-written part is kept and its generated
# part rewritten.
mkdir -p "$dest"
find "$dest" -maxdepth 1 -type f \( -name '*.txt' -o -name '*.txt.gz' -o -name '*.tables.tsv' \) -delete
find "$work/out" -maxdepth 1 -type f -exec cp -t "$dest/" {} +

{
    echo "<!-- generated by scripts/make-rtf-references.sh: begin -->"
    echo "Made by $version from ${#inputs[@]} files."
    echo
    if [ ${#failures[@]} -eq 0 ]; then
        echo "LibreOffice converted every file."
    else
        echo "LibreOffice failed on:"
        echo
        for f in "${failures[@]}"; do echo "- $f"; done
    fi
    compressed=$(cd "$dest" && find . -maxdepth 1 -name '*.txt.gz' -printf '%f\n' | sort)
    echo
    if [ -n "$compressed" ]; then
        echo "Stored gzip-compressed (text over 5 MiB):"
        echo
        while IFS= read -r f; do echo "- $f"; done <<<"$compressed"
    else
        echo "No text output is over 5 MiB; none is compressed."
    fi
    echo "<!-- generated by scripts/make-rtf-references.sh: end -->"
} >"$work/generated.md"

readme=$dest/README.md
if [ -f "$readme" ] && grep -q 'make-rtf-references.sh: begin' "$readme"; then
    awk -v gen="$work/generated.md" '
        /make-rtf-references.sh: begin/ { while ((getline line < gen) > 0) print line; skip = 1; next }
        /make-rtf-references.sh: end/ { skip = 0; next }
        !skip { print }
    ' "$readme" >"$work/README.md"
    cp "$work/README.md" "$readme"
else
    cp "$work/generated.md" "$readme"
    echo "note: $readme had no generated part; it now holds only that part"
fi

echo "${#inputs[@]} files, ${#failures[@]} failures"
for f in "${failures[@]}"; do echo "  $f"; done
