#!/bin/sh
# Builds the manual twice and compares the PDFs byte for byte. Skipped (77) where the demo
# project cannot live at its fixed paths, as its random temporary path would then show.
#
#   check-reproducible.sh <folder for the two PDFs> <the generator's command, less the PDF>...
set -e
out=$1
shift
mkdir -p "$out"
rm -f "$out/first.pdf" "$out/second.pdf"
export MARROWFOLD_MANUAL_REQUIRE_STUDIO=1
"$@" "$out/first.pdf"
"$@" "$out/second.pdf"
cmp "$out/first.pdf" "$out/second.pdf"
