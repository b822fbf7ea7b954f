#!/usr/bin/env bash
# Draws res/icon.svg into res/icon.ico: 16x16 and 32x32 images in 16 and 256 colours, stored
# the classic way (palette, colour bits, AND mask) so that every Windows version shows them.
# The build uses the committed .ico; run this after changing the picture. The same picture
# gives the same bytes: nothing is dithered and the images carry no metadata.
set -euo pipefail
cd "$(dirname "$0")/.."

hash rsvg-convert convert icotool 2>/dev/null || { echo "a tool is missing: run scripts/install-deps.sh" >&2 && exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Anti-aliasing blurs the letter into a blob at 16 px, so edges are hard there.
rsvg-convert -w 32 -h 32 res/icon.svg -o "$work/32.png"
rsvg-convert -w 16 -h 16 -s <(echo '* { shape-rendering: crispEdges }') res/icon.svg -o "$work/16.png"

# The mask makes a pixel opaque or transparent, so half-covered edges become one or the other
# before the colours are counted; icotool paints transparent pixels black in one slot.
# Picking colours by hue (HSL) keeps the stroke gold and the blue graded in 16 colours.
for size in 16 32; do
    for colours in 16 256; do
        convert "$work/$size.png" -channel A -threshold 50% +channel \
            -quantize HSL -dither None -colors "$colours" -strip "$work/$size-$colours.png"
    done
done
icotool -c -o "$work/icon.ico" -b 4 "$work/16-16.png" "$work/32-16.png" \
    -b 8 "$work/16-256.png" "$work/32-256.png"

# icotool falls back to more bits, with only a warning, when an image has too many colours.
expected="--icon --index=1 --width=16 --height=16 --bit-depth=4 --palette-size=16
--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16
--icon --index=3 --width=16 --height=16 --bit-depth=8 --palette-size=256
--icon --index=4 --width=32 --height=32 --bit-depth=8 --palette-size=256"
if [ "$(icotool -l "$work/icon.ico")" != "$expected" ]; then
    echo "res/icon.ico not written: the images are not 16 and 32 px in 4 and 8 bits:" >&2
    icotool -l "$work/icon.ico" >&2
    exit 1
fi
cp "$work/icon.ico" res/icon.ico
