#!/usr/bin/env bash
# The signed lists of the window's signature test, made with gpg in a
# throwaway GNUPGHOME: a publisher's key (publisher.asc), a list it
# clear-signed (good.sha256), the same list with a digit changed after the
# signing (changed.sha256), and a list with a detached signature beside it
# by a key the test never adds (stranger.sha256, stranger.sha256.asc), all
# of a.txt; and for the window of one file, files of 3 MB (more than one
# read block) with detached signatures beside them: image.bin with its
# binary image.bin.sig by the publisher, tampered.bin (a byte changed after
# the signing) with the same signature, unknown.bin with the stranger's
# armoured unknown.bin.asc, the stranger's key (stranger.asc); minisign's
# minisigned.bin and minisigned.sha256 by a key never added (minisign.pub).
# Usage: make-signed-lists.sh OUT (OUT/made once all are there).
set -euo pipefail
out=$1
mkdir -p "$out"
home=$(mktemp -d "${TMPDIR:-/tmp}/sbsigned.XXXXXX")
trap 'gpgconf --homedir "$home" --kill all >/dev/null 2>&1; rm -rf "$home"' EXIT
chmod 700 "$home"
g() { gpg --homedir "$home" --batch --quiet --no-tty --pinentry-mode loopback --passphrase '' "$@"; }
g --quick-gen-key "Publisher <publisher@example.org>" ed25519 sign never
g --quick-gen-key "Stranger <stranger@example.org>" ed25519 sign never
g --armor --export publisher@example.org >"$out/publisher.asc"
cd "$out"
printf 'abc' >a.txt
line="$(sha256sum a.txt)"
printf '%s\n' "$line" >plain.sha256
g --local-user publisher@example.org --clearsign --output - plain.sha256 >good.sha256
# The first digit of the signed digest changed (b -> c): a BAD signature.
sed '/^ba7816bf/s/^b/c/' good.sha256 >changed.sha256
cp plain.sha256 stranger.sha256
g --local-user stranger@example.org --armor --detach-sign --output - stranger.sha256 >stranger.sha256.asc
rm plain.sha256
g --armor --export stranger@example.org >stranger.asc
{ yes 'sumbrook signed image' || true; } | head -c 3000000 >image.bin
g --local-user publisher@example.org --detach-sign --output - image.bin >image.bin.sig
{ head -c 2999999 image.bin; printf 'X'; } >tampered.bin
cp image.bin.sig tampered.bin.sig
cp image.bin unknown.bin
g --local-user stranger@example.org --armor --detach-sign --output - unknown.bin >unknown.bin.asc
cp image.bin minisigned.bin
cp stranger.sha256 minisigned.sha256
minisign -G -f -W -p minisign.pub -s "$home/minisign.key" >/dev/null
for signed in minisigned.bin minisigned.sha256; do
  minisign -S -s "$home/minisign.key" -t "sumbrook test" -m "$signed" >/dev/null
done
touch made
