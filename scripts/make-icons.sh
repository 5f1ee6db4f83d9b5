#!/usr/bin/env bash
# Renders the icon's PNG sizes from resources/icons/vornelta.svg (needs rsvg-convert,
# Debian librsvg2-bin). The PNGs are small and kept in the tree; run this after changing
# the SVG.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" vornelta.svg -o "vornelta-$size.png"
done
