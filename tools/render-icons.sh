#!/usr/bin/env bash
# Renders the program's icon (dist/icons/pelmaris.svg) to the PNG sizes of the hicolor theme,
# into dist/icons/hicolor. The PNGs are kept in the repository: run this after changing the
# drawing. Needs rsvg-convert (Debian's librsvg2-bin).
set -euo pipefail
icons="$(cd "$(dirname "$0")/../dist/icons" && pwd)"
for size in 16 22 24 32 48 64 128 256; do
  dir="$icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio "$icons/pelmaris.svg" --output "$dir/pelmaris.png"
done
