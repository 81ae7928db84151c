#!/usr/bin/env bash
# Renders the application icon's PNG sizes for the desktop's hicolor theme
# into res/linux/icons/<size>/ (committed, so building needs no renderer).
# 16 px is the window icon's pixel-grid drawing (res/icons/dravik.svg), crisp
# at that size; the larger ones are the detailed drawing of the same picture
# (res/linux/icons/org.dravik.Dravik.svg). Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
id=org.dravik.Dravik
for size in 16 22 24 32 48 64 128 256; do
  source=res/linux/icons/$id.svg
  [ "$size" = 16 ] && source=res/icons/dravik.svg
  mkdir -p "res/linux/icons/$size"
  rsvg-convert -w "$size" -h "$size" "$source" -o "res/linux/icons/$size/$id.png"
done
