#!/usr/bin/env bash
# Renders the PNG icons from their SVG sources (needs rsvg-convert, Debian
# package librsvg2-bin). The PNGs are committed; run this after editing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
for svg in *.svg; do
    for size in 48 128 256; do
        mkdir -p "${size}"
        rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}/${svg%.svg}.png"
    done
done
