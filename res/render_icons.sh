#!/usr/bin/env bash
# Renders the icon's PNG sizes from the SVG drawings (needs rsvg-convert, from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 vantrel_16.svg -o vantrel_16.png
rsvg-convert -w 32 -h 32 vantrel.svg -o vantrel_32.png
rsvg-convert -w 48 -h 48 vantrel.svg -o vantrel_48.png
