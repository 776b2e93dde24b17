#!/usr/bin/env bash
# SumbrookVerify.exe imports from system DLLs only (the C++ runtime is
# linked in statically) and carries its resources: the manifest asking for
# the common controls version 6 and per-monitor DPI awareness, and an icon.
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

status=0
# Winsock (ws2_32.dll, in every Windows): libgpg-error, linked in with
# libgcrypt for the Ed25519 signatures, imports its socket functions.
also_allowed=ws2_32
source "$(dirname "$0")/system-imports.sh"
grep -qx 'comctl32.dll' <<<"$dlls" || { echo "FAIL: comctl32.dll is not imported"; status=1; }

grep -qE '[[:space:]]\.rsrc[[:space:]]' <<<"$sections" || { echo "FAIL: no .rsrc section"; status=1; }
for text in 'Microsoft.Windows.Common-Controls' 'PerMonitorV2'; do
  grep -qa "$text" "$exe" || { echo "FAIL: the manifest does not name $text"; status=1; }
done
# The icon's resource type (RT_GROUP_ICON, 14) in the resource directory.
python3 - "$exe" <<'PY' || status=1
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections = struct.unpack_from("<H", data, pe + 6)[0]
optional = struct.unpack_from("<H", data, pe + 20)[0]
rva = struct.unpack_from("<I", data, pe + 24 + 96 + 2 * 8)[0]
table = pe + 24 + optional
for i in range(sections):
    name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
    if vaddr <= rva < vaddr + max(vsize, rsize):
        base = raw + rva - vaddr
        named, ids = struct.unpack_from("<HH", data, base + 12)
        types = [struct.unpack_from("<I", data, base + 16 + 8 * j)[0] for j in range(named + ids)]
        if 14 not in types or 24 not in types:
            print("FAIL: resource types %s lack the icon (14) or the manifest (24)" % types)
            sys.exit(1)
        sys.exit(0)
print("FAIL: no resource directory")
sys.exit(1)
PY

echo "imports: $(echo $dlls)"
echo "size: $(stat -c %s "$exe") bytes"
exit $status
