#!/usr/bin/env bash
# Creates the headless test prefix once: win32, null graphics driver, TEMP in
# a folder of its own. Safe to run again; it only checks the marker file.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

marker="$WINEPREFIX/.sumbrook-ready"
[ -f "$marker" ] && exit 0

echo "setup: preparing the Wine prefix in $WINEPREFIX"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX" "$SUMBROOK_WINE_TEMP"
(
  unset DISPLAY WAYLAND_DISPLAY
  wineboot -u >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  tempwin=$(winepath -w "$SUMBROOK_WINE_TEMP" 2>/dev/null)
  wine reg add 'HKCU\Environment' /v TEMP /d "$tempwin" /f >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v TMP /d "$tempwin" /f >/dev/null 2>&1
  wineserver -w
)
touch "$marker"
