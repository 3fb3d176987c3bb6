#!/usr/bin/env bash
# Draws the diagram control's cursors (32 x 32, transparent) with ImageMagick.
# The PNGs are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"

# A filled shape with a black outline: every part is drawn thick in black
# first, then filled white on top, so overlapping parts merge into one body.
body() {  # out, shapes...
  local out=$1
  shift
  local outline=() fill=()
  for s in "$@"; do
    outline+=(-draw "$s")
    fill+=(-draw "$s")
  done
  convert -size 32x32 xc:none \
    -fill black -stroke black -strokewidth 3 "${outline[@]}" \
    -fill white -stroke none "${fill[@]}" \
    "PNG32:$out"
}

# Finger gaps and creases on a drawn hand.
lines() {  # file, draw commands...
  local file=$1
  shift
  local args=()
  for s in "$@"; do args+=(-draw "$s"); done
  convert "$file" -fill none -stroke black -strokewidth 1 "${args[@]}" "PNG32:$file"
}

body handflat.png \
  "roundrectangle 9,14 23,29 4,4" \
  "roundrectangle 9,6 12,20 1.5,1.5" "roundrectangle 12,3 15,20 1.5,1.5" \
  "roundrectangle 16,3 19,20 1.5,1.5" "roundrectangle 20,7 23,20 1.5,1.5" \
  "polygon 10,25 3,17 5,15 12,20"
lines handflat.png "line 12.5,8 12.5,18" "line 15.5,5 15.5,18" "line 19.5,8 19.5,18"

body handgrab.png \
  "roundrectangle 8,13 24,29 5,5" \
  "roundrectangle 9,9 13,16 2,2" "roundrectangle 13,8 17,16 2,2" \
  "roundrectangle 17,8 21,16 2,2" "roundrectangle 21,10 25,17 2,2" \
  "polygon 9,22 5,18 7,16 12,19"
lines handgrab.png "line 13,10 13,15" "line 17,10 17,15" "line 21,11 21,16" "line 11,20 21,20"

body handpnt.png \
  "roundrectangle 9,15 24,29 4,4" \
  "roundrectangle 11,1 15,20 2,2" \
  "roundrectangle 15,11 18,19 1.5,1.5" "roundrectangle 18,12 21,19 1.5,1.5" \
  "roundrectangle 21,13 24,20 1.5,1.5" \
  "polygon 10,25 4,19 6,17 12,21"
lines handpnt.png "line 15,13 15,18" "line 18,14 18,18" "line 21,15 21,19"

# Crosshairs: black one-pixel lines on a white halo, open in the middle.
xhair() {  # out, extra draw commands (drawn white-haloed as well)...
  local out=$1
  shift
  local halo=() ink=()
  for s in "line 15,1 15,12" "line 15,18 15,29" "line 1,15 12,15" "line 18,15 29,15" "$@"; do
    halo+=(-draw "$s")
    ink+=(-draw "$s")
  done
  convert -size 32x32 xc:none \
    -fill none -stroke white -strokewidth 3 "${halo[@]}" \
    -stroke black -strokewidth 1 "${ink[@]}" \
    "PNG32:$out"
}

xhair xhair1.png
xhair xhair2.png "rectangle 20,20 26,26"
xhair xhair3.png "line 20,24 28,24" "line 20,25 28,25"
xhair xhairlink.png "roundrectangle 18,19 25,24 2.5,2.5" "roundrectangle 22,23 29,28 2.5,2.5"
