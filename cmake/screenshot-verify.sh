#!/usr/bin/env bash
# Draws SumbrookVerify.exe after a check with a few problems (a changed, a
# missing and a new file among good ones) and saves a picture of it.
# Usage: screenshot-verify.sh SumbrookVerify.exe OUT.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
out=$2
tree=$(mktemp -d /tmp/sumbrook-verify-shot.XXXXXX)
trap 'rm -rf "$tree"' EXIT
python3 - "$tree" <<'PY'
import os, sys, zlib
root = sys.argv[1]
os.mkdir(os.path.join(root, "Holiday 2026"))
files = {
    "Holiday 2026/beach.jpg": b"sand" * 40000,
    "Holiday 2026/harbour.jpg": b"boats" * 52000,
    "Holiday 2026/sunset.jpg": b"orange" * 61000,
    "invoice-2026-11.pdf": b"total" * 3000,
    "notes.txt": b"remember the milk\r\n",
    "report.docx": b"draft" * 9000,
    "setup.exe": b"MZ" + b"\0" * 70000,
}
lines = []
for name, content in files.items():
    crc = zlib.crc32(content)
    if name == "report.docx":
        crc ^= 0x5A5A  # changed since the list was made
    lines.append("%s %08X\r\n" % (name, crc))
lines.insert(3, "Holiday 2026/lighthouse.jpg 1C291CA3\r\n")  # missing
for name, content in files.items():
    with open(os.path.join(root, name), "wb") as f:
        f.write(content)
with open(os.path.join(root, "todo.txt"), "wb") as f:  # new
    f.write(b"call the bank\r\n")
with open(os.path.join(root, "backup.sfv"), "w", newline="") as f:
    f.writelines(lines)
PY
SCREENSHOT_DESKTOP=1024x680 SCREENSHOT_MAX_WIDTH=1024 \
  "$here/screenshot.sh" "$exe" "$out" "Z:${tree//\//\\}\\backup.sfv" /r
