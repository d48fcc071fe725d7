#!/usr/bin/env bash
# Renders the drawings of this folder into the program's icons and bitmap, in res/icons or in the
# folder given. rsvg-convert draws each picture at every size, icotool packs the icons and
# ImageMagick writes the bitmap. The results are committed, so a build needs none of these tools;
# a native test renders them again and compares.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../res/icons}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Icon file, drawing, and every size the program loads it at under 96, 120, 144 and 192 DPI (the
# application mark also at the usual shell sizes).
icons=(
  "application.ico application 16x16 20x20 24x24 32x32 40x40 48x48 64x64 256x256"
  "about.ico application 32x32 48x48 60x60 64x64 72x72 96x96"
  "section_options.ico section_options 96x96 120x120 144x144 192x192"
  "section_privacy.ico section_privacy 96x96 120x120 144x144 192x192"
  "section_restore.ico section_restore 96x96 120x120 144x144 192x192"
  "section_about.ico section_about 96x96 120x120 144x144 192x192"
  "settings.ico settings 48x48 60x60 72x72 96x96"
  "donate.ico donate 72x40 90x50 108x60 144x80"
)

# Draws a picture at a size WIDTHxHEIGHT into a PNG file.
render() {
  rsvg-convert --width "${2%x*}" --height "${2#*x}" --output "$3" "$here/$1.svg"
}

for entry in "${icons[@]}"; do
  read -r name drawing sizes <<<"$entry"
  images=()
  for size in $sizes; do
    png=$work/$drawing-$size.png
    render "$drawing" "$size" "$png"
    # Below 48 pixels a 32-bit bitmap with a mask of the fully transparent pixels, which every
    # Windows reads; from 48 on the PNG itself, smaller, which Windows reads since Vista.
    if [ "${size%x*}" -lt 48 ] && [ "${size#*x}" -lt 48 ]; then
      images+=("$png")
    else
      images+=("--raw=$png")
    fi
  done
  icotool --create --alpha-threshold=0 --output="$out/$name" "${images[@]}"
done

# The bitmap: opaque, 8 bits per pixel with run-length compression, 96 DPI, no
# metadata; the drawing has fewer than 256 colours, so the palette holds them exactly.
render no_preview 640x480 "$work/no_preview.png"
convert "$work/no_preview.png" -alpha off +dither -colors 256 -compress RLE \
  -units PixelsPerInch -density 96 -strip "BMP3:$out/no_preview.bmp"
