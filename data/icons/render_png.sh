#!/usr/bin/env bash
# Renders the icon's PNG sizes from quillet.svg. The PNGs are committed, so that building needs
# no SVG renderer; run this after changing the SVG (Debian: apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
    rsvg-convert --width "$size" --height "$size" quillet.svg --output "quillet-$size.png"
done
