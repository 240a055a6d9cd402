#!/bin/sh
# Renders the committed PNG icons again from the SVG (rsvg-convert, package librsvg2-bin).
# The PNGs are committed so that building and installing need no SVG renderer.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$size"
  rsvg-convert -w "$size" -h "$size" org.shareward.Shareward.svg -o "$size/org.shareward.Shareward.png"
done
