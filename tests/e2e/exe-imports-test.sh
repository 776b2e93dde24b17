#!/usr/bin/env bash
# The program imports from system DLLs only (the C++ runtime is linked in
# statically), no wide file calls, and carries no resources. Prints the size of the program.
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

headers=$("$objdump" -p "$exe")
sections=$("$objdump" -h "$exe")
status=0

allowed='^(kernel32|user32|gdi32|comdlg32|shell32|ole32|advapi32|msvcrt|comctl32)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
  echo "FAIL: no imports listed for $exe"; status=1
fi
for dll in $dlls; do
  if [[ ! $dll =~ $allowed ]]; then
    echo "FAIL: imports from $dll, which is not a system DLL"; status=1
  fi
done

# The dialog opens and lists files by their ANSI names only: no wide file or
# directory call is imported (the command line's wide layer stays out).
wide=$(grep -oE '\b(CreateFileW|FindFirstFileW|FindFirstFileExW|GetFileAttributesW|GetFileAttributesExW|GetFullPathNameW)\b' <<<"$headers" | sort -u || true)
if [ -n "$wide" ]; then
  echo "FAIL: wide file calls imported: $(echo $wide)"; status=1
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
