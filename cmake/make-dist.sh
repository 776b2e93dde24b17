#!/usr/bin/env bash
# Writes DIST/sumbrook-VERSION-win32.zip from the Release Windows build in
# BUILD (Sumbrook.exe, sumbrook-cli.exe and SumbrookVerify.exe built): the three
# programs, README.txt (CR LF), LICENSE and sumbrook-VERSION.sfv, the list of
# the zip's other five files (the three programs among them) that the built sumbrook-cli.exe writes
# under Wine, so that verifying the unpacked zip finds every file OK. Version and commit are the
# ones sumbrook-cli.exe --version names. Entry times and the list's header
# time come from SOURCE_DATE_EPOCH, by default the time of the last commit.
# Ends with the zip's size and CRC-32.
# Usage: make-dist.sh BUILD DIST
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
dist=$(cd "$2" && pwd)
wine_run="$root/cmake/wine-run.sh"

fail() { echo "dist: $*" >&2; exit 1; }

build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$build_type" = Release ] || fail "$build is a $build_type build; a release is built in Release"
cli="$build/cli/sumbrook-cli.exe"
for program in "$build/Sumbrook.exe" "$cli" "$build/SumbrookVerify.exe"; do
  [ -f "$program" ] || fail "$program is missing"
done

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"

# "sumbrook-cli 1.0.0 (commit 0123456789ab)"
version_text=$("$wine_run" "$cli" --version | tr -d '\r')
version=$(sed -n 's/^sumbrook-cli \([0-9][0-9.]*\)\( .*\)\{0,1\}$/\1/p' <<<"$version_text")
commit=$(sed -n 's/.*(commit \([0-9a-f]*\(-dirty\)\{0,1\}\))$/\1/p' <<<"$version_text")
[ -n "$version" ] || fail "no version in: $version_text"
[ -n "$commit" ] || fail "the build does not know its commit: $version_text"
[[ $commit == *-dirty ]] && echo "dist: warning: built from a tree with uncommitted changes ($commit)" >&2

name="sumbrook-$version"
list="$name.sfv"
stage="$build/dist-stage"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/Sumbrook.exe" "$cli" "$build/SumbrookVerify.exe" "$stage/"
sed -e "s/@VERSION@/$version/g" -e "s/@COMMIT@/$commit/g" -e 's/$/\r/' \
  "$root/cmake/dist-readme.txt" >"$stage/README.txt"
# LICENSE: Sumbrook's, then the notices and terms of the libraries linked
# into sumbrook-cli.exe and SumbrookVerify.exe (as the LGPL asks).
{
  cat "$root/LICENSE"
  for package in libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev; do
    copyright=/usr/share/doc/$package/copyright
    [ -f "$copyright" ] || fail "$copyright is missing (install $package: make setup)"
    printf '\n------------------------------------------------------------------------------\n\n'
    printf '%s (Debian package %s): its copyright file\n\n' "${package%-mingw-w64-dev}" "$package"
    cat "$copyright"
  done
  printf '\n------------------------------------------------------------------------------\n\n'
  cat /usr/share/common-licenses/LGPL-2.1
} >"$stage/LICENSE"

# The list of the folder, by the program itself, with Windows' line ends:
# run in the folder, so that it lists plain names.
(cd "$stage" && "$wine_run" "$stage/sumbrook-cli.exe" --sfv . -o "$list") ||
  fail "sumbrook-cli.exe --sfv failed"
entries=$(grep -v '^;' "$stage/$list" | tr -d '\r' | sed 's/ [0-9A-Fa-f]\{8\}$//' | LC_ALL=C sort | tr '\n' ' ')
[ "$entries" = "LICENSE README.txt Sumbrook.exe SumbrookVerify.exe sumbrook-cli.exe " ] || fail "$list lists: $entries"

zip="$dist/$name-win32.zip"
(cd "$stage" && python3 "$root/cmake/make-zip.py" "$zip" \
  README.txt LICENSE Sumbrook.exe sumbrook-cli.exe SumbrookVerify.exe "$list")

crc=$(cd "$dist" && "$wine_run" "$stage/sumbrook-cli.exe" "$(basename "$zip")" | tr -d '\r' | cut -c1-8)
echo "dist: ${zip#"$PWD/"}"
echo "      $(stat -c %s "$zip") bytes, CRC-32 $crc, $version_text"
