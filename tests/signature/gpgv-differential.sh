#!/usr/bin/env bash
# sumbrook-cli --check-signature against gpgv (and sqv, for detached
# signatures: its verdict, good or not, must be ours) on the same cases, made here
# with gpg (a throwaway GNUPGHOME, --faked-system-time for dates): Ed25519,
# ECDSA P-256 and P-384 and RSA keys, a signing subkey, DSA (refused), SHA-1, a revoked key, an expired key, a
# signature dated in the future, RSA-1024, a key bound by SHA-1 self-signatures, text mode, armoured and binary,
# several signatures in one file, clear-signed texts with and without text
# around them, a changed file and an unknown key. Each verdict (exit 0, 1
# or 2) must be gpgv's, except where the README's list of differences says
# Sumbrook refuses on purpose (then the expected code is written beside the
# case). Then --verify of signed lists, and every byte of a signature, of a key file and of a clear-signed
# list is flipped in turn: never a good verdict (so for an armoured one, a
# detached signed list, minisign's and signify's files past their unsigned comment lines).
# Usage: gpgv-differential.sh path/to/sumbrook-cli [STRIDE]
# (STRIDE: the mutation cases flip every STRIDE-th byte; the sanitized
# build, whose every run is slow, takes 4.)
set -uo pipefail

program=$(realpath "$1")
# A program ending in .exe runs under Wine (CNG and libgcrypt beneath it);
# its mutation cases then flip every 16th byte, each run being a Wine start.
stride=${2:-1}
under_wine=0
if [[ "$program" == *.exe ]]; then
  wine_run=$(realpath "$(dirname "$0")/../../cmake/wine-run.sh")
  exe=$program
  program="$(mktemp "${TMPDIR:-/tmp}/sbwine.XXXXXX")"
  printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine_run" "$exe" >"$program"
  chmod +x "$program"
  stride=16 under_wine=1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/sbgpgv.XXXXXX")
trap 'gpgconf --homedir "$work/gnupg" --kill all >/dev/null 2>&1; rm -rf "$work"' EXIT
cd "$work"
export GNUPGHOME="$work/gnupg"
mkdir -m 700 "$GNUPGHOME"
# An empty key store of this run's own.
export XDG_CONFIG_HOME="$work/config"
store="$work/config/sumbrook/keys"  # (under Wine: the prefix's %APPDATA%, where Wine puts it)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fixed past: keys made on 2024-01-01, signatures in 2024-06.
made=20240101T000000
signed=20240601T120000
g() { gpg --batch --quiet --no-tty --pinentry-mode loopback --passphrase '' "$@" 2>/dev/null; }
key() { g --faked-system-time "$made!" --quick-gen-key "$@"; }
fpr() { gpg --with-colons --list-keys "$1" | awk -F: '/^fpr/ {print $10; exit}'; }

key "Ed Signer <ed@example.org>" ed25519 sign never
key "Rsa Signer <rsa@example.org>" rsa3072 sign never
key "Sub Signer <sub@example.org>" rsa3072 cert never
g --faked-system-time "$made!" --quick-add-key "$(fpr sub@example.org)" rsa3072 sign never
key "Old Signer <old@example.org>" rsa1024 sign never
key "Gone Signer <gone@example.org>" ed25519 sign never
key "Late Signer <late@example.org>" ed25519 sign never
key "Stranger <stranger@example.org>" ed25519 sign never
key "P256 Signer <p256@example.org>" nistp256 sign never
key "P384 Signer <p384@example.org>" nistp384 sign never
key "Dsa Signer <dsa@example.org>" dsa2048 sign never
g --faked-system-time "$made!" --cert-digest-algo SHA1 --quick-gen-key "Weak Binder <weak@example.org>" rsa3072 sign never
for who in ed rsa sub old gone late stranger p256 p384 weak dsa; do
  g --export "$who@example.org" >"$who.key"
  g --export --armor "$who@example.org" >"$who.asc"
done
printf 'ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  abc.txt\n' >list
head -c 300000 /dev/urandom >image.iso
sign() {  # sign WHO TIME OUTPUT ARGS...
  local who=$1 time=$2 output=$3
  shift 3
  g --faked-system-time "$time!" -u "$who@example.org" -o "$output" "$@"
}
sign ed "$signed" image.iso.sig --detach-sign image.iso
sign rsa "$signed" image.iso.asc --armor --detach-sign image.iso
sign sub "$signed" image.sub.sig --detach-sign image.iso
sign old "$signed" image.old.sig --detach-sign image.iso
sign ed "$signed" image.sha1.sig --digest-algo SHA1 --detach-sign image.iso
sign rsa "$signed" image.sha512.sig --digest-algo SHA512 --detach-sign image.iso
sign stranger "$signed" image.stranger.sig --detach-sign image.iso
sign p256 "$signed" image.p256.sig --detach-sign image.iso
sign p384 "$signed" image.p384.asc --armor --detach-sign image.iso
sign weak "$signed" image.weak.sig --digest-algo SHA256 --detach-sign image.iso
sign dsa "$signed" image.dsa.sig --detach-sign image.iso
sign dsa "$signed" list.dsa.asc --clear-sign list
sign ed "$signed" image.critical.sig --sig-notation '!critical@example.org=yes' --detach-sign image.iso
sign ed "$signed" list.text.sig --textmode --detach-sign list
sign ed 20990101T000000 image.future.sig --detach-sign image.iso
sign gone "$signed" image.gone.sig --detach-sign image.iso
sign late "$signed" image.late.sig --detach-sign image.iso
cat image.iso.asc >image.both.asc
g --faked-system-time "$signed!" -u ed@example.org --armor --detach-sign -o - image.iso >>image.both.asc
sign rsa "$signed" list.asc --clear-sign list
# Lines that start with "-" (dash-escaped) and end in blanks and tabs (not
# signed), with CR LF line ends.
printf -- '- a dash\r\n-----BEGIN PGP SIGNATURE-----\r\ntrailing blanks  \t \r\nlast\r\n' >dashes
sign ed "$signed" dashes.asc --clear-sign dashes
{ echo "Not signed"; cat list.asc; } >list.before.asc
{ cat list.asc; echo "Not signed either"; } >list.after.asc
{ cat list.asc; cat list.asc; } >list.twice.asc
sed 's/^Hash: SHA512$/Hash: SHA512\nComment: not signed/' list.asc >list.comment.asc
cp image.iso changed.iso && printf 'x' | dd of=changed.iso bs=1 seek=1000 conv=notrunc 2>/dev/null

# The revoked key: its own revocation certificate (reason 0: hard).
sed 's/^:-----/-----/' "$GNUPGHOME/openpgp-revocs.d/$(fpr gone@example.org).rev" >gone.rev
g --import gone.rev
g --export gone@example.org >gone-revoked.key
# The key that expires before it signed: its expiry set, afterwards, to a
# day before the signature.
g --faked-system-time "20240701T000000!" --quick-set-expire "$(fpr late@example.org)" 20240501T000000
g --export late@example.org >late-expired.key
cat ed.key rsa.key sub.key >bundle.key

# check NAME FILE SIGNATURE KEYRING [CODE [SQV]]: sumbrook-cli's code must be
# gpgv's, or CODE where the policies differ on purpose; and good exactly
# where sqv says good (detached only: sqv reads no clear-signed text), unless
# SQV is "sqv-differs" (a refusal sqv does not share).
check() {
  local name=$1 file=$2 signature=$3 keyring=$4 expected=${5:-} sqv_differs=${6:-}
  local theirs ours sqv=-
  if [ "$signature" = - ]; then
    gpgv --keyring "$work/$keyring" "$file" >/dev/null 2>&1; theirs=$?
    "$program" --check-signature "$file" --key "$keyring" >out 2>&1; ours=$?
  else
    gpgv --keyring "$work/$keyring" "$signature" "$file" >/dev/null 2>&1; theirs=$?
    "$program" --check-signature "$file" --signature "$signature" --key "$keyring" >out 2>&1; ours=$?
    if command -v sqv >/dev/null; then
      sqv --keyring "$work/$keyring" "$signature" "$file" >/dev/null 2>&1; sqv=$?
      [ -n "$sqv_differs" ] || [ $((sqv == 0)) = $((ours == 0)) ] || fail "$name: exit $ours, sqv $sqv: $(cat out)"
    fi
  fi
  if [ -n "$expected" ]; then
    [ "$ours" = "$expected" ] || fail "$name: exit $ours, expected $expected (gpgv: $theirs): $(cat out)"
    printf '%-28s gpgv %s  sqv %s  sumbrook-cli %s (a difference on purpose)\n' "$name" "$theirs" "$sqv" "$ours"
  else
    [ "$ours" = "$theirs" ] || fail "$name: exit $ours, gpgv $theirs: $(cat out)"
    printf '%-28s gpgv %s  sqv %s  sumbrook-cli %s\n' "$name" "$theirs" "$sqv" "$ours"
  fi
}

check ed25519 image.iso image.iso.sig ed.key
check rsa-armoured image.iso image.iso.asc rsa.key
check rsa-sha512 image.iso image.sha512.sig rsa.key
check ecdsa-p256 image.iso image.p256.sig p256.key
check ecdsa-p384 image.iso image.p384.asc p384.key
check ecdsa-p384-changed changed.iso image.p384.asc p384.key
check subkey image.iso image.sub.sig sub.key
check bundle-of-keys image.iso image.sub.sig bundle.key
check two-signatures-one-file image.iso image.both.asc bundle.key
check text-mode list list.text.sig ed.key
check changed-file changed.iso image.iso.sig ed.key
check changed-file-rsa changed.iso image.iso.asc rsa.key
check unknown-key image.iso image.stranger.sig bundle.key
check clear-signed list.asc - rsa.key
check clear-signed-wrong-key list.asc - ed.key
check clear-signed-dash-escaped dashes.asc - ed.key
check sha1 image.iso image.sha1.sig ed.key 2
check rsa-1024 image.iso image.old.sig old.key 2
check critical-notation image.iso image.critical.sig ed.key 2
check sha1-self-signatures image.iso image.weak.sig weak.key 2
grep -q "self-signatures over SHA-1" out || fail "sha1-self-signatures: the reason is not given: $(cat out)"
for form in "dsa image.iso image.dsa.sig" "dsa-clear-signed list.dsa.asc -"; do
  # shellcheck disable=SC2086
  check $form dsa.key 2 sqv-differs
  grep -q "a DSA signature, which is refused" out || fail "${form%% *}: the reason is not given: $(cat out)"
done
check revoked image.iso image.gone.sig gone-revoked.key 2
check expired-when-signed image.iso image.late.sig late-expired.key 2
check future-dated image.iso image.future.sig ed.key 2
check text-before list.before.asc - rsa.key 2
check text-after list.after.asc - rsa.key 2
check two-messages list.twice.asc - rsa.key
check comment-header list.comment.asc - rsa.key 2

# Armoured keys, which gpgv does not read as a keyring, and a fingerprint.
"$program" --check-signature image.iso --signature image.iso.asc --key rsa.asc >out 2>&1 ||
  fail "an armoured key: $(cat out)"
"$program" --check-signature image.iso --key bundle.key --fingerprint "$(fpr ed@example.org)" >out 2>&1 ||
  fail "--fingerprint of the signer: $(cat out)"
"$program" --check-signature image.iso --key bundle.key --fingerprint "$(fpr rsa@example.org)" >out 2>&1
[ $? -eq 2 ] || fail "--fingerprint of another key: $(cat out)"
subkey=$(gpg --with-colons --list-keys sub@example.org | awk -F: '/^fpr/ {n++} /^fpr/ && n == 2 {print $10}')
"$program" --check-signature image.iso --signature image.sub.sig --key bundle.key --fingerprint "$subkey" >out 2>&1 ||
  fail "--fingerprint of the signing subkey: $(cat out)"
"$program" --check-signature image.iso --key bundle.key --fingerprint "$(fpr stranger@example.org)" >out 2>&1
[ $? -eq 2 ] && grep -q "no key given" out || fail "--fingerprint of a key not given: $(cat out)"
"$program" --check-signature image.iso --key ed.key --fingerprint "$(fpr ed@example.org | cut -c25-)" >out 2>&1
[ $? -eq 2 ] && grep -q "key ID" out || fail "a key ID as --fingerprint: $(cat out)"

# The key store: added with a label, listed, used, removed.
"$program" --add-key ed.asc --label "Ed's releases" >out 2>&1 || fail "--add-key: $(cat out)"
"$program" --keys >out 2>&1 && grep -q "Ed's releases" out && grep -q "ed@example.org" out ||
  fail "--keys: $(cat out)"
"$program" --check-signature image.iso >out 2>&1 && grep -q "Ed's releases" out ||
  fail "a key of the store: $(cat out)"
if [ "$under_wine" -eq 0 ]; then
  echo damaged >"$store/0000000000000000000000000000000000000000.asc"
  "$program" --check-signature image.iso >out 2>&1 && grep -q "0000000000000000000000000000000000000000.asc" out ||
    fail "a damaged file of the store is named and skipped: $(cat out)"
  rm "$store/0000000000000000000000000000000000000000.asc"
fi
"$program" --remove-key "$(fpr ed@example.org)" >out 2>&1 || fail "--remove-key: $(cat out)"
"$program" --check-signature image.iso >out 2>&1
[ $? -eq 2 ] || fail "a removed key still trusted: $(cat out)"

# --verify of a signed list: good (the checksums' code), bad (nothing
# checked, 1), by a key not trusted (2), unsigned where required (2).
mkdir -p release && cd release || exit 1
printf 'abc' >abc.txt
sha256sum abc.txt >SHA256SUMS
cp SHA256SUMS SHA256SUMS.plain
g --faked-system-time "$signed!" -u rsa@example.org -o SHA256SUMS.sign --detach-sign SHA256SUMS
g --faked-system-time "$signed!" -u ed@example.org -o CHECKSUM --clear-sign SHA256SUMS
verify() {  # verify CODE TEXT ARGS...: the code and a line holding TEXT
  local expected=$1 text=$2
  shift 2
  "$program" --verify "$@" --ignore-missing >../out 2>&1
  local code=$?
  [ "$code" = "$expected" ] && grep -q -- "$text" ../out || fail "--verify $*: exit $code: $(cat ../out)"
}
verify 0 "signature good, by (Rsa Signer" SHA256SUMS --key ../rsa.asc
# A key in the store makes a signature by another key a failure.
"$program" --add-key ../ed.key >/dev/null 2>&1 || fail "--add-key ed.key"
verify 2 "NOT verified: made by a key you have not added" SHA256SUMS
"$program" --remove-key "$(fpr ed@example.org)" >/dev/null 2>&1 || fail "--remove-key ed"
# Ubuntu's SHA256SUMS.gpg: armoured despite its name.
mkdir -p ../ubuntu && cp abc.txt SHA256SUMS ../ubuntu/ &&
  g --faked-system-time "$signed!" -u rsa@example.org --armor -o ../ubuntu/SHA256SUMS.gpg --detach-sign SHA256SUMS
verify 0 "signature good, by (Rsa Signer" ../ubuntu/SHA256SUMS --key ../rsa.key
# The signature beside the list is no NEW file of its folder.
mkdir -p ../alone && cp abc.txt SHA256SUMS SHA256SUMS.sign ../alone/
"$program" --verify ../alone/SHA256SUMS --key ../rsa.asc >../out 2>&1 && grep -q "^1 OK, 0 CHANGED, 0 MISSING, 0 NEW" ../out ||
  fail "--verify of a list beside its signature: exit $?: $(cat ../out)"
verify 0 "signature good, by (Ed Signer" CHECKSUM --key ../ed.key
verify 2 "NOT verified: made by a key you have not added" CHECKSUM --key ../rsa.key
verify 0 "not checked with a key of yours" CHECKSUM
verify 2 "no signature" SHA256SUMS.plain --require-signature
sed -i 's/abc.txt/abd.txt/' CHECKSUM
verify 1 "BAD signature" CHECKSUM --key ../ed.key
printf 'x' >>SHA256SUMS
verify 1 "BAD signature" SHA256SUMS --key ../rsa.asc
cd .. || exit 1

# minisign and signify through --check-signature, against the tools' own
# verdicts: a .minisig beside the file, and OpenBSD's embedded SHA256.sig.
if command -v minisign >/dev/null && command -v signify-openbsd >/dev/null; then
  minisign -G -W -p ms.pub -s ms.key >/dev/null 2>&1
  cp image.iso release.tar && minisign -S -s ms.key -m release.tar >/dev/null 2>&1
  signify-openbsd -G -n -p sf.pub -s sf.sec >/dev/null 2>&1
  printf 'SHA256 (release.tar) = 0\n' >SHA256 && signify-openbsd -S -e -s sf.sec -m SHA256 -x SHA256.sig
  keycheck() {  # keycheck NAME CODE-OF-THE-TOOL ARGS...
    local name=$1 theirs=$2
    shift 2
    "$program" --check-signature "$@" >out 2>&1
    local ours=$?
    [ "$ours" = "$theirs" ] || fail "$name: exit $ours, the tool's $theirs: $(cat out)"
    printf '%-28s tool %s  sumbrook-cli %s\n' "$name" "$theirs" "$ours"
  }
  minisign -V -p ms.pub -m release.tar >/dev/null 2>&1
  keycheck minisign $? release.tar --key ms.pub
  keycheck minisign-other-key 2 release.tar --key sf.pub
  signify-openbsd -V -e -p sf.pub -x SHA256.sig -m /dev/null >/dev/null 2>&1
  keycheck signify-embedded $? SHA256.sig --key sf.pub
  sha256sum release.tar >MINISUMS && minisign -S -s ms.key -m MINISUMS >/dev/null 2>&1
  "$program" --verify MINISUMS --signature MINISUMS.minisig --key ms.pub --ignore-missing >out 2>&1 &&
    grep -q "signature good, by the minisign key" out || fail "--verify with a .minisig: $(cat out)"
  cp release.tar changed.tar && cp release.tar.minisig changed.tar.minisig && printf 'x' >>changed.tar
  minisign -V -p ms.pub -m changed.tar >/dev/null 2>&1
  [ $? -ne 0 ] && keycheck minisign-changed 1 changed.tar --key ms.pub
fi

# mutate NAME FILE FROM COMMAND...: COMMAND with FILE changed one byte at a
# time from byte FROM on (each bit of it flipped in turn from byte to byte)
# is never good.
mutate() {
  local name=$1 file=$2 from=$3
  shift 3
  local good=0 count=0
  "$@" >out 2>&1 || fail "$name: not good before any byte is flipped: $(cat out)"
  cp "$file" "$work/original"
  rm -rf mutants && mkdir mutants
  python3 -c "
import sys
data = open(sys.argv[1], 'rb').read()
for i in range(int(sys.argv[3]), len(data), int(sys.argv[2])):
    b = bytearray(data)
    b[i] ^= 1 << (i % 8)
    open('mutants/%06d' % i, 'wb').write(b)" "$work/original" "$stride" "$from"
  for mutant in mutants/*; do
    cp "$mutant" "$file"
    count=$((count + 1))
    if "$@" >/dev/null 2>&1; then
      good=$((good + 1))
      fail "$name: byte $((10#${mutant#mutants/})) flipped, still good"
    fi
  done
  cp "$work/original" "$file"
  echo "mutation of $name: $count bytes flipped, $good good"
}
mutate signature image.iso.sig 0 "$program" --check-signature image.iso --key ed.key
mutate armoured-signature image.iso.asc 0 "$program" --check-signature image.iso --signature image.iso.asc --key rsa.key
mutate key ed.key 0 "$program" --check-signature image.iso --key ed.key
cp list.asc signed-list.asc
mutate clear-signed-list signed-list.asc 0 "$program" --check-signature signed-list.asc --key rsa.key
mutate list-with-its-signature alone/SHA256SUMS 0 "$program" --verify alone/SHA256SUMS --key rsa.asc
if [ -e ms.pub ]; then
  skip() { head -n 1 "$1" | wc -c; }  # the untrusted comment line, which nothing signs
  mutate minisign-signature release.tar.minisig "$(skip release.tar.minisig)" \
    "$program" --check-signature release.tar --key ms.pub
  mutate minisign-key ms.pub "$(skip ms.pub)" "$program" --check-signature release.tar --key ms.pub
  mutate minisign-signed-list MINISUMS 0 "$program" --verify MINISUMS --key ms.pub --ignore-missing
  mutate signify-embedded-list SHA256.sig "$(skip SHA256.sig)" "$program" --check-signature SHA256.sig --key sf.pub
  mutate signify-key sf.pub "$(skip sf.pub)" "$program" --check-signature SHA256.sig --key sf.pub
fi

[ "$failures" -eq 0 ] && echo "gpgv-differential: all verdicts as expected"
exit $((failures > 0))
