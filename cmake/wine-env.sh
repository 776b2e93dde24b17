# Sourced by the scripts that run Windows programs under Wine: one throwaway
# prefix inside the build tree, headless unless asked otherwise.
: "${SUMBROOK_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
: "${SUMBROOK_WINE_DIR:=$SUMBROOK_ROOT/build/wine}"
# The architecture Wine runs here (cmake/wine-arch.sh): win32, or win64 on a
# kernel that runs no 32-bit programs, where the `wine` on the PATH (which
# would start the 32-bit loader) is replaced by the 64-bit one.
: "${SUMBROOK_WINE_ARCH:=$("$SUMBROOK_ROOT/cmake/wine-arch.sh")}"
export SUMBROOK_WINE_ARCH
if [ "$SUMBROOK_WINE_ARCH" = win64 ]; then
  export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$SUMBROOK_WINE_DIR/prefix-win64}"
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  if [ ! -x "$SUMBROOK_WINE_DIR/bin/wine-stable" ]; then
    mkdir -p "$SUMBROOK_WINE_DIR/bin"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$SUMBROOK_WINE_DIR/bin/$name"
      chmod +x "$SUMBROOK_WINE_DIR/bin/$name"
    done
  fi
  case ":$PATH:" in
    *":$SUMBROOK_WINE_DIR/bin:"*) ;;
    *) export PATH="$SUMBROOK_WINE_DIR/bin:$PATH" ;;
  esac
else
  export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$SUMBROOK_WINE_DIR/prefix}"
  export WINEARCH=win32
fi
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
