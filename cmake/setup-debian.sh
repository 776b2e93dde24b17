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

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$here/cmake/wine-prefix.sh"
