#!/usr/bin/env bash
# make run: starts Sumbrook.exe under Wine on the user's display, in a prefix
# of its own that draws with the X11 driver (the test prefix draws nothing).
# Without a display it says so and fails at once.
# Usage: run-dialog.sh Sumbrook.exe
set -euo pipefail
exe=$(realpath "$1")

if [ -z "${DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set); start it from a desktop session, or see 'make screenshot'" >&2
  exit 1
fi
if command -v xwininfo >/dev/null && ! timeout 10 xwininfo -root >/dev/null 2>&1; then
  echo "make run: cannot open the display $DISPLAY; start it from a desktop session, or see 'make screenshot'" >&2
  exit 1
fi

source "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$SUMBROOK_WINE_DIR/prefix-desktop"
sumbrook_prepare_drawing_prefix
echo "make run: Sumbrook.exe is running; close its dialog to return"
exec wine "$exe"
