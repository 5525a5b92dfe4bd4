#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the window icons and the application icon from vantrel.svg.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick (convert).
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

render() { rsvg-convert -w "$1" -h "$1" vantrel.svg -o "$2"; }

render 16 Vantrel_16.png
render 32 Vantrel_32.png
render 48 Vantrel_48.png
render 512 Vantrel.png
for size in 16 24 32 48 64 256; do
    render "$size" "$tmp/icon_$size.png"
done
convert "$tmp/icon_16.png" "$tmp/icon_24.png" "$tmp/icon_32.png" "$tmp/icon_48.png" \
        "$tmp/icon_64.png" "$tmp/icon_256.png" _Vantrel.ico
# Keep the committed PNGs byte-stable: no timestamps in the files.
for f in Vantrel_16.png Vantrel_32.png Vantrel_48.png Vantrel.png; do
    convert "$f" -define png:exclude-chunks=date,time -strip "$f"
done
