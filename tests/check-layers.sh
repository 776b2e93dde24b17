#!/usr/bin/env bash
# Checks that the production folders include only downwards: every
# `#include "folder/..."` (or <folder/...>) naming a folder of the
# repository must name the including file's own folder or one it may use,
# as the table below says (the same graph as the top CMakeLists.txt's).
# tests/ and bench/ may include anything; no production folder may include
# them. Within verifier/, the windows of verifier/win/ are views over the
# portable controllers beside them: a file of verifier/ itself never
# includes "verifier/win/...". Run from anywhere; prints each upward include as file:line and exits
# 1 if there is one, 0 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

# The Layout, bottom up, and what each folder may include besides itself.
layers=(platform crc hash files lists signature verify app cli verifier)
declare -A uses=(
  [platform]=""
  [crc]=""
  [hash]="crc platform"
  [files]="hash crc platform"
  [lists]="hash crc platform"
  [signature]="hash crc platform"
  [verify]="signature lists files hash crc platform"
  [app]="lists files hash crc platform"
  [cli]="verify signature lists files hash crc platform"
  [verifier]="verify signature lists files hash crc platform"
)
# Folders of the repository that an include may name at all.
known=" ${layers[*]} tests bench "

faults=0
for folder in "${layers[@]}"; do
  [ -d "$folder" ] || continue
  allowed=" $folder ${uses[$folder]} "
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^/">]+)\/.*/\1/' <<<"$text")
    if [[ "$known" == *" $target "* && "$allowed" != *" $target "* ]]; then
      echo "$file:$line: $folder/ includes $target/ (${folder}/ may use: ${uses[$folder]:-no other folder}): $text"
      faults=$((faults + 1))
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^/">]+/' "$folder" \
             --include='*.h' --include='*.hpp' --include='*.c' --include='*.cpp' --include='*.rc' || true)
done

# The controllers of verifier/ never include their views in verifier/win/.
if [ -d verifier/win ]; then
  while IFS=: read -r file line text; do
    echo "$file:$line: verifier/ includes its Windows views (only verifier/win/ may): $text"
    faults=$((faults + 1))
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]verifier/win/' \
             verifier/*.h verifier/*.hpp verifier/*.c verifier/*.cpp verifier/*.rc 2>/dev/null || true)
fi

if [ "$faults" -ne 0 ]; then
  echo "check-layers: $faults include(s) pointing to a folder above or beside; see the table in tests/check-layers.sh"
  exit 1
fi
echo "check-layers: every include points down"
