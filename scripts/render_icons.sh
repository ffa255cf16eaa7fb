#!/usr/bin/env bash
# Renders data/icons/kzmouse.svg into the PNG sizes of the hicolor theme under data/icons/hicolor/.
# Run after changing the SVG; the renders are kept in the repository so that a build needs no
# SVG renderer. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256 512; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" kzmouse.svg -o "hicolor/${size}x${size}/apps/kzmouse.png"
done
