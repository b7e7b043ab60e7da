#!/bin/sh
# Renders the icon's PNG sizes from the SVG. The PNGs are committed, so the
# build needs no SVG renderer; run this after changing the drawing
# (ImageMagick's convert).
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps"
    convert -background none -density 300 de.quellbach.Peilomat.svg -resize "${size}x${size}" \
        -define png:exclude-chunks=date,time -strip "PNG32:hicolor/${size}x${size}/apps/de.quellbach.Peilomat.png"
done
