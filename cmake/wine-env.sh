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
