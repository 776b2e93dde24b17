#!/usr/bin/env bash
# The release zip as a Windows user meets it, in the headless Wine prefix:
# unpacked into an empty folder it holds the six files in their order,
# `sumbrook-cli.exe --verify sumbrook-VERSION.sfv` run there finds all five
# other files OK, and Sumbrook.exe started there shows its dialog and ends with
# exit code 0 when asked to close (taskkill without /f sends WM_CLOSE, as the
# close button does). Every wait has a time limit.
# Usage: dist-zip-test.sh dist/sumbrook-VERSION-win32.zip
set -uo pipefail
zip=$(realpath "$1")
source "$(dirname "$0")/../../cmake/wine-env.sh"
if [ "$SUMBROOK_WINE_ARCH" != win32 ]; then
  echo "SKIPPED: Wine runs no 32-bit programs on this machine; the zip's programs were not run"
  exit 77
fi
"$(dirname "$0")/../../cmake/wine-prefix.sh"
unset DISPLAY WAYLAND_DISPLAY

version=$(basename "$zip" | sed -n 's/^sumbrook-\(.*\)-win32\.zip$/\1/p')
[ -n "$version" ] || { echo "FAIL: $zip is not named sumbrook-VERSION-win32.zip"; exit 1; }
folder=$(mktemp -d "${TMPDIR:-/tmp}/sumbrook-unpacked.XXXXXX")
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

names=$(python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1]); z.extractall(sys.argv[2]); print(" ".join(z.namelist()))' "$zip" "$folder") ||
  { echo "FAIL: $zip does not unpack"; exit 1; }
expected="README.txt LICENSE Sumbrook.exe sumbrook-cli.exe SumbrookVerify.exe sumbrook-$version.sfv"
[ "$names" = "$expected" ] || fail "the zip holds: $names; expected: $expected"
cd "$folder" || exit 1

[ "$(grep -c $'\r$' README.txt)" -eq "$(wc -l <README.txt)" ] || fail "README.txt has lines without CR LF"

out=$(timeout 120 wine sumbrook-cli.exe --verify "sumbrook-$version.sfv" 2>&1 | tr -d '\r')
code=${PIPESTATUS[0]}
echo "$out"
[ "$code" -eq 0 ] || fail "--verify exited $code"
for program in Sumbrook.exe sumbrook-cli.exe SumbrookVerify.exe README.txt LICENSE; do
  grep -Eq "^OK +$program( |$)" <<<"$out" || fail "--verify does not say $program is OK"
done

wine Sumbrook.exe &
pid=$!   # wine becomes the Windows process itself, keeping this process id
asked=0
for _ in $(seq 1 30); do
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  timeout 30 wine taskkill /im Sumbrook.exe >/dev/null 2>&1 && asked=1
done
if [ "$asked" -eq 0 ]; then
  fail "Sumbrook.exe ended before it was asked to close"
elif kill -0 "$pid" 2>/dev/null; then
  fail "Sumbrook.exe did not close within 60 s"
else
  wait "$pid"; code=$?; pid=""
  [ "$code" -eq 0 ] || fail "Sumbrook.exe ended with exit code $code"
  echo "Sumbrook.exe started and closed with exit code $code"
fi

[ "$failures" -eq 0 ] && echo "the unpacked zip works" && exit 0
exit 1
