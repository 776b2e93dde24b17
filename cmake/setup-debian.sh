#!/usr/bin/env bash
# Installs what the build and the tests need on Debian, then prepares the
# throwaway Wine prefix. Idempotent: a second run installs nothing and only
# checks that the prefix is ready.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

packages=(cmake make g++ mingw-w64 wine wine32 wine64 fonts-wine xvfb xauth x11-apps imagemagick
          googletest libgtest-dev libbenchmark-dev zlib1g-dev libdeflate-dev
          libisal-dev libcli11-dev clang-format clang-tidy cppcheck cksfv rhash python3 git ccache
          hyperfine 7zip libssl-dev librust-blake3-dev libxxhash-dev xxhash b3sum coreutils strace
          gpg gpgv gpg-agent minisign signify-openbsd sqv debian-archive-keyring
          librust-sequoia-openpgp-dev libgcrypt-mingw-w64-dev libgcrypt20-dev)

missing=()
for p in "${packages[@]}"; do
  case "$p" in
    wine32) q="wine32:i386" ;;
    *) q="$p" ;;
  esac
  dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$q")
done
# The missing packages but 32-bit Wine, in `rest`.
without_wine32() {
  rest=()
  for p in "${missing[@]}"; do [ "$p" = "wine32:i386" ] || rest+=("$p"); done
}
# Once 32-bit Wine could not be installed, the later calls of this build
# do not try again (make clean does).
no_wine32="$here/build/.no-wine32"
if [ -f "$no_wine32" ]; then
  without_wine32
  missing=("${rest[@]}")
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails an index now and then; try again, and
  # if it still fails, install from the indexes there are (the install
  # itself then says what it cannot find).
  for try in 1 2 3; do
    $sudo_cmd apt-get update -qq && break
    echo "setup: apt-get update failed (try $try of 3)"
    [ "$try" = 3 ] || sleep 20
  done
  if ! $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # Without the i386 indexes (a mirror mid-sync), 32-bit Wine cannot be
    # installed: the rest still is, and the Windows tests then run on the
    # x86_64 build (cmake/wine-arch.sh).
    without_wine32
    [ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
    echo "setup: 32-bit Wine could not be installed; installing the rest"
    mkdir -p "$(dirname "$no_wine32")" && touch "$no_wine32"
    $sudo_cmd apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null
  fi
fi

"$here/cmake/wine-prefix.sh"
