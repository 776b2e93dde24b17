#!/usr/bin/env bash
# A 32-bit program on 64-bit Windows is redirected from System32 to SysWOW64.
# In a 64-bit prefix, the two folders get files of the same name with
# different contents; the checksum of the System32 path must be that of the
# System32 file.
# Usage: redirection-test.sh PROBE.exe
set -euo pipefail
probe=$(realpath "$1")
source "$(dirname "$0")/../../cmake/wine-env.sh"
export WINEPREFIX="$SUMBROOK_WINE_DIR/prefix64"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

if ! command -v wine64 >/dev/null && [ ! -x /usr/lib/wine/wine64 ]; then
  echo "redirection-test: wine64 is not installed"; exit 1
fi
if [ ! -f "$WINEPREFIX/.sumbrook-ready" ]; then
  rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.sumbrook-ready"
fi

windows="$WINEPREFIX/drive_c/windows"
printf '123456789' >"$windows/system32/sumbrook-probe.txt"
printf 'abc' >"$windows/syswow64/sumbrook-probe.txt"
trap 'rm -f "$windows/system32/sumbrook-probe.txt" "$windows/syswow64/sumbrook-probe.txt"' EXIT

got=$(wine "$probe" 'C:\Windows\System32\sumbrook-probe.txt' 'C:\Windows\SysWOW64\sumbrook-probe.txt' | tr -d '\r')
expected=$'CBF43926\n352441C2'
echo "System32, SysWOW64: $(echo $got)"
if [ "$got" != "$expected" ]; then
  echo "redirection-test: FAILED, expected $(echo $expected)"; exit 1
fi
echo "redirection-test: passed"
