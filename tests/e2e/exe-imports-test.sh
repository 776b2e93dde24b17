#!/usr/bin/env bash
# The program imports from system DLLs only (the C++ runtime is linked in
# statically), no wide file calls, and carries no resources. Prints the size of the program.
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

status=0
source "$(dirname "$0")/system-imports.sh"

# The dialog opens and lists files by their ANSI names only: no wide file or
# directory call is imported (the command line's wide layer stays out).
wide=$(grep -oE '\b(CreateFileW|FindFirstFileW|FindFirstFileExW|GetFileAttributesW|GetFileAttributesExW|GetFullPathNameW)\b' <<<"$headers" | sort -u || true)
if [ -n "$wide" ]; then
  echo "FAIL: wide file calls imported: $(echo $wide)"; status=1
fi

# The dialog computes CRC-32 only: none of hash/'s other backends is linked in.
if grep -qx 'bcrypt.dll' <<<"$dlls"; then
  echo "FAIL: imports from bcrypt.dll (the dialog needs no digest but CRC-32)"; status=1
fi

# Data directory entry 2 is the resource table: address and size both zero.
resources=$(grep -E '^Entry 2 ' <<<"$headers" || true)
if ! grep -qE '^Entry 2 0+ 0+ ' <<<"$resources"; then
  echo "FAIL: resource table present: $resources"; status=1
fi
if grep -qE '[[:space:]]\.rsrc[[:space:]]' <<<"$sections"; then
  echo "FAIL: .rsrc section present"; status=1
fi

echo "imports: $(echo $dlls)"
echo "size: $(stat -c %s "$exe") bytes"
exit $status
