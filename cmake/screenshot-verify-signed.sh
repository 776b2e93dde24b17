#!/usr/bin/env bash
# Draws SumbrookVerify.exe after checking a signed list (SHA256SUMS with its
# detached signature SHA256SUMS.sign beside it, by a key in the key store)
# and saves a picture of it: the signature's line above the rows.
# Usage: screenshot-verify-signed.sh SumbrookVerify.exe OUT.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
out=$(realpath -m "$2")
tree=$(mktemp -d /tmp/sumbrook-verify-signed-shot.XXXXXX)
source "$here/screenshot-keys.sh"
trap 'shot_keys_end; rm -rf "$tree"' EXIT
shot_keys_start "$(dirname "$(realpath "$exe")")" "$tree"
mkdir "$tree/release"
cd "$tree/release"
python3 - <<'PY'
for name, size in (("example-os-2.1-amd64.iso", 3000000), ("example-os-2.1-arm64.iso", 2600000),
                   ("example-os-2.1-netinst.iso", 900000)):
    with open(name, "wb") as f:
        f.write(bytes((i * 7 + size) % 256 for i in range(size)))
PY
sha256sum example-os-2.1-*.iso >SHA256SUMS
shot_sign --local-user releases@example.org --armor --detach-sign --output SHA256SUMS.sign SHA256SUMS
SCREENSHOT_DESKTOP=1024x520 SCREENSHOT_MAX_WIDTH=1024 \
  "$here/screenshot.sh" "$exe" "$out" "Z:${tree//\//\\}\\release\\SHA256SUMS"
