#!/usr/bin/env bash
# Draws SumbrookVerify.exe's window of one file, its SHA-256 pasted as the
# publisher gives it (and matching) and its detached signature beside it
# good by a key in the key store, and saves a picture of it.
# Usage: screenshot-verify-file.sh SumbrookVerify.exe OUT.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
out=$2
folder=$(mktemp -d /tmp/sumbrook-verify-file-shot.XXXXXX)
source "$here/screenshot-keys.sh"
trap 'shot_keys_end; rm -rf "$folder"' EXIT
shot_keys_start "$(dirname "$(realpath "$exe")")" "$folder"
file="$folder/sumbrook-1.4-setup.exe"
python3 -c 'import sys; sys.stdout.buffer.write(b"MZ" + bytes(range(256)) * 12000)' >"$file"
sha256=$(sha256sum "$file" | cut -d' ' -f1)
shot_sign --local-user releases@example.org --detach-sign --output "$file.sig" "$file"
SCREENSHOT_DESKTOP=900x680 SCREENSHOT_MAX_WIDTH=900 \
  "$here/screenshot.sh" "$exe" "$out" /file "Z:${file//\//\\}" /expect "$sha256"
