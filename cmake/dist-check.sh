#!/usr/bin/env bash
# Builds the release twice from the commit checked out here (HEAD), each time
# in a fresh clone in a folder of its own under $TMPDIR, the second with
# another time zone, umask and locale, and compares the two zips and the
# programs inside them byte for byte; then checks the first zip under Wine as
# a user would use it (tests/e2e/dist-zip-test.sh). Uncommitted changes are
# not built. The clones share this tree's Wine prefix. Exits 0 when the
# builds are identical and the zip works; on a difference it names the files
# and the first differing bytes (cmp -l), and keeps the folders.
# Usage: dist-check.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse HEAD)
jobs=${JOBS:-2}
export SUMBROOK_WINE_DIR="${SUMBROOK_WINE_DIR:-$root/build/wine}"
"$root/cmake/wine-prefix.sh"
[ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ] &&
  echo "dist-check: uncommitted changes are not part of the check; building $commit"

folders=()
keep=0
cleanup() { [ "$keep" -eq 1 ] || rm -rf "${folders[@]}"; }
trap cleanup EXIT

zips=()
for run in 1 2; do
  folder=$(mktemp -d "${TMPDIR:-/tmp}/sumbrook-dist-check.XXXXXX")
  folders+=("$folder")
  # Differently long paths, so that a folder name left in a program shows.
  source_dir="$folder/src$(printf 'x%.0s' $(seq 1 $((run * 7))))"
  git clone --quiet --no-checkout "$root" "$source_dir"
  git -C "$source_dir" -c advice.detachedHead=false checkout --quiet "$commit"
  echo "dist-check: build $run in $source_dir"
  if [ "$run" -eq 1 ]; then
    (cd "$source_dir" && TZ=UTC make --no-print-directory dist JOBS="$jobs" >"$folder/build.log" 2>&1)
  else
    (cd "$source_dir" && umask 077 && TZ=Asia/Kathmandu LC_ALL=C.UTF-8 \
      make --no-print-directory dist JOBS="$jobs" >"$folder/build.log" 2>&1)
  fi || { keep=1; tail -20 "$folder/build.log"; echo "dist-check: build $run failed ($folder/build.log)"; exit 1; }
  tail -2 "$folder/build.log"
  zips+=("$(ls "$source_dir"/dist/sumbrook-*-win32.zip)")
done

# Compares two files; on a difference names them and shows the first bytes.
same() {
  if cmp -s "$1" "$2"; then return 0; fi
  echo "dist-check: DIFFERENT: $1 and $2 ($(stat -c %s "$1") and $(stat -c %s "$2") bytes)"
  echo "  offset (from 1), octal byte in the first, in the second:"
  cmp -l "$1" "$2" | head -20 | sed 's/^/  /'
  return 1
}

status=0
same "${zips[0]}" "${zips[1]}" || status=1
for run in 0 1; do
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
    "${zips[$run]}" "${folders[$run]}/unpacked"
done
for program in Sumbrook.exe sumbrook-cli.exe SumbrookVerify.exe; do
  same "${folders[0]}/unpacked/$program" "${folders[1]}/unpacked/$program" || status=1
done
for zip in "${zips[@]}"; do
  echo "dist-check: $(basename "$zip"): $(stat -c %s "$zip") bytes, CRC-32 $(python3 -c \
    'import sys, zlib; print("%08X" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$zip")"
done
if [ "$status" -ne 0 ]; then
  keep=1
  echo "dist-check: FAILED: the two builds differ; both are kept in ${folders[*]}"
  exit 1
fi
echo "dist-check: the two builds of $commit are identical"

"$root/tests/e2e/dist-zip-test.sh" "${zips[0]}" || { keep=1; exit 1; }
echo "dist-check: passed"
