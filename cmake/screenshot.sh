#!/usr/bin/env bash
# Draws the real dialog (or another program's window) on a virtual X server
# and saves a picture of it: Wine with a virtual desktop, so that the title
# bar is drawn too, in a prefix of its own. Everything it starts is ended
# afterwards; safe to run again.
# Usage: screenshot.sh Sumbrook.exe OUT.png [ARGUMENT...]
# SCREENSHOT_DESKTOP (800x600) sizes the desktop, SCREENSHOT_MAX_WIDTH (700)
# is the widest picture taken for the window rather than an empty desktop.
set -euo pipefail
exe=$(realpath "$1")
out=$2
shift 2
desktop=${SCREENSHOT_DESKTOP:-800x600}
max_width=${SCREENSHOT_MAX_WIDTH:-700}
title=" Calculation  of  CRC32 code  for  1 file"

source "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$SUMBROOK_WINE_DIR/prefix-screenshot"
sumbrook_prepare_drawing_prefix

work=$(mktemp -d)
xvfb=""
cleanup() {
  wineserver -k 2>/dev/null || true  # this prefix's processes only
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number, chosen by the server itself. The screen is as big
# as Wine's virtual desktop, so that a picture of the screen is one of the
# desktop.
Xvfb -displayfd 3 -screen 0 "${desktop}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

wine explorer /desktop=shot,"$desktop" "$exe" "$@" >/dev/null 2>&1 &

# The dialog cut out of the desktop, with a margin of desktop around it.
crop() {
  local background
  background=$(convert "$1" -format '%[pixel:p{0,0}]' info:)
  convert "$1" -trim +repage -bordercolor "$background" -border 12 -strip "$2"
}

# Wait until the dialog is drawn: two pictures in a row alike, showing more
# than an empty desktop.
done=""
for _ in $(seq 1 60); do
  sleep 1
  import -window root "$work/now.png" 2>/dev/null || continue
  if [ -f "$work/last.png" ] && cmp -s "$work/now.png" "$work/last.png"; then
    crop "$work/now.png" "$work/dialog.png"
    size=$(identify -format '%w %h' "$work/dialog.png")
    if [ "${size% *}" -gt 200 ] && [ "${size% *}" -lt "$max_width" ] && [ "${size#* }" -gt 100 ]; then
      done=yes
      break
    fi
  fi
  mv "$work/now.png" "$work/last.png"
done
[ -n "$done" ] || { echo "screenshot: the dialog did not appear" >&2; exit 1; }
cp "$work/dialog.png" "$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"))"
