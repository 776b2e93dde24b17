#!/usr/bin/env bash
# SFV lists across the two builds on one tree: a list written by
# sumbrook-cli.exe (under Wine) verifies with the native sumbrook-cli and with
# rhash, a list written natively verifies with sumbrook-cli.exe, and both
# report the same changes the same way. The tree holds names outside any
# ANSI code page (Cyrillic, Greek, Chinese, an emoji) and a file at the end
# of a path of more than 300 characters, which the Windows build must reach
# by their UTF-16 names and list with the same UTF-8 bytes.
# Usage: sfv-cross-test.sh path/to/sumbrook-cli.exe path/to/native/sumbrook-cli
# Exits 77 (skipped) when the native program has not been built.
set -uo pipefail

exe=$(realpath "$1")
native=$2
if [ ! -x "$native" ]; then
  echo "sfv-cross-test: $native is missing; build it first (make native)"; exit 77
fi
native=$(realpath "$native")
wine_run=$(realpath "$(dirname "$0")/../../cmake/wine-run.sh")
work=$(mktemp -d "${TMPDIR:-/tmp}/sbsfv-cross.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# win ARGS / nat ARGS: output without CR in $out, exit code in $code.
win() { out=$(set -o pipefail; timeout 120 "$wine_run" "$exe" "$@" 2>"$work/err" | tr -d '\r'); code=$?; }
nat() { out=$(timeout 60 "$native" "$@" 2>"$work/err"); code=$?; }
expect() { [ "$code" -eq "$1" ] || fail "$2 exited $code, expected $1: $out $(cat "$work/err")"; }

mkdir -p "tree/with blank/deeper" tree/sub
printf abc >tree/abc.txt
printf 123456789 >"tree/with blank/nine digits.txt"
head -c 300000 /dev/urandom >"tree/with blank/deeper/random data.bin"
: >tree/sub/empty.log
mkdir -p "tree/中文"
printf cyrillic >"tree/Привет.txt"; printf greek >"tree/sub/Ελληνικά.txt"; printf emoji >"tree/中文/😀.txt"
deep=tree; for c in a b c d e; do deep="$deep/$(printf "%060d" 0 | tr 0 $c)"; done
mkdir -p "$deep"; printf deep >"$deep/deep.txt"
[ ${#deep} -gt 300 ] || fail "the deep path is short: ${#deep}"

win --sfv tree -r -o win.sfv; expect 0 "sumbrook-cli.exe --sfv"
grep -q $'\r$' win.sfv || fail "the Windows build writes no CR LF"
[ "$(grep -cv $'\r$' win.sfv)" -eq 0 ] || fail "a line of the Windows list lacks CR LF"
nat --sfv tree -r -o native.sfv; expect 0 "sumbrook-cli --sfv"
[ "$(grep -v '^;' win.sfv | tr -d '\r')" == "$(grep -v '^;' native.sfv)" ] ||
  fail "the builds list the tree differently:"$'\n'"$(cat win.sfv)"$'\n'"$(cat native.sfv)"

nat --verify win.sfv tree -r; expect 0 "native --verify of the Windows list"
[[ "$out" == *$'\n8 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE; CRC-32 matches'* ]] || fail "native verify: $out"
(cd tree && rhash --skip-ok -c ../win.sfv >/dev/null) || fail "rhash refuses the Windows list"
win --verify native.sfv tree -r; expect 0 "sumbrook-cli.exe --verify of the native list"
[[ "$out" == *$'\n8 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE; CRC-32 matches'* ]] || fail "Windows verify: $out"

# The same changes, the same report from both builds, from either list.
printf abd >tree/abc.txt; rm "tree/with blank/nine digits.txt"; printf new >"tree/with blank/deeper/added.txt"
nat --verify win.sfv tree -r; expect 1 "native --verify after changes"; native_report=$out
[[ "$native_report" == *"CHANGED     abc.txt  352441C2 -> "* && "$native_report" == *"MISSING     with blank/nine digits.txt"* &&
   "$native_report" == *"OK          中文/😀.txt"* && "$native_report" == *"OK          ${deep#tree/}/deep.txt"* &&
   "$native_report" == *"NEW         with blank/deeper/added.txt"* ]] || fail "native report: $native_report"
win --verify native.sfv tree -r; expect 1 "Windows --verify after changes"
[ "$out" == "$native_report" ] || fail "the builds report differently:"$'\n'"$out"$'\n'"$native_report"

cp -r tree copy; printf x >copy/sub/empty.log
nat --compare tree copy -r; expect 1 "native --compare"; native_report=$out
win --compare tree copy -r; expect 1 "Windows --compare"
[ "$out" == "$native_report" ] || fail "--compare differs:"$'\n'"$out"$'\n'"$native_report"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "sfv-cross-test: passed"
