# Sourced by the scripts that run Windows programs under Wine: one throwaway
# 32-bit prefix inside the build tree, headless unless asked otherwise.
: "${SUMBROOK_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
: "${SUMBROOK_WINE_DIR:=$SUMBROOK_ROOT/build/wine}"
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$SUMBROOK_WINE_DIR/prefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's own temporary directory, as the programs see it.
export SUMBROOK_WINE_TEMP="$SUMBROOK_WINE_DIR/temp"

# Prepares $WINEPREFIX, once, as a prefix that draws with the default (X11)
# graphics driver, for showing the program on a display (make run, make
# screenshot). The prefix is created without a display, so that preparing
# it shows nothing.
sumbrook_prepare_drawing_prefix() {
  local marker="$WINEPREFIX/.sumbrook-ready"
  [ -f "$marker" ] && return 0
  echo "preparing the Wine prefix in $WINEPREFIX (once; this takes a while)"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  (
    unset DISPLAY WAYLAND_DISPLAY
    wineboot -u >/dev/null 2>&1 || true
    wineserver -w
  )
  # Wine's own fonts (package fonts-wine: "MS Sans Serif", and Marlett for
  # the title bar's buttons) are not found where Debian puts them; the
  # prefix's font folder is always searched.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  touch "$marker"
}
