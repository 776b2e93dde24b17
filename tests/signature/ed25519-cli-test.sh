#!/usr/bin/env bash
# sumbrook-cli with minisign's and signify's signatures, made here by the
# tools themselves (gpgv-differential.sh has the plain --check-signature
# cases of a .minisig and of OpenBSD's SHA256.sig): --verify of a list with
# a .minisig beside it and of OpenBSD's SHA256.sig (the list inside, its
# lines read from the bytes verified); --check-signature of a file with a
# plain signify .sig beside it, with a minisign key's base64 line as --key,
# and the trusted comment shown. Each exit code must be the one expected,
# and, for --check-signature, agree with the tool's own verdict. (--verify
# runs with --ignore-missing: the signature file beside a list is NEW
# otherwise, as an OpenPGP one is.)
# Usage: ed25519-cli-test.sh path/to/sumbrook-cli
set -uo pipefail
cli=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/sbed25519cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export XDG_CONFIG_HOME=$work/config  # an empty key store
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

minisign -G -W -p a.pub -s a.key >/dev/null || exit 1
signify-openbsd -G -n -p s.pub -s s.sec && signify-openbsd -G -n -p t.pub -s t.sec || exit 1
tail -n 1 a.pub >a.line
mkdir m s l o
printf 'a download\n' >m/image.iso
cp m/image.iso s/image.iso
minisign -S -s a.key -m m/image.iso -t "release 1.0" >/dev/null
signify-openbsd -S -s s.sec -m s/image.iso -x s/image.iso.sig
printf 'one\n' >l/one && printf 'two\n' >l/two
(cd l && sha256sum one two >SHA256SUMS) && minisign -S -s a.key -m l/SHA256SUMS >/dev/null
cp l/one l/two o/ && (cd o && sha256sum --tag one two >SHA256 && signify-openbsd -S -e -s ../s.sec -m SHA256 -x SHA256.sig)

expect() {  # CODE TOOL-CODE|- WHAT -- ARGUMENTS...
  local want=$1 tool=$2 what=$3
  shift 4
  out=$("$cli" "$@" 2>&1)
  got=$?
  [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want: $out"
  if [ "$tool" != - ] && [ $((tool == 0)) -ne $((got == 0)) ]; then fail "$what: the tool says $tool, we say $got"; fi
}
tool() { "$@" >/dev/null 2>&1; echo $?; }

expect 0 "$(tool minisign -Vq -P "$(cat a.line)" -m m/image.iso)" "minisign, the key's base64 line" -- --check-signature m/image.iso --key a.line
grep -q 'trusted comment: release 1.0' <<<"$out" || fail "the trusted comment is not shown: $out"
expect 0 "$(tool signify-openbsd -Vq -p s.pub -m s/image.iso)" "signify, good" -- --check-signature s/image.iso --key s.pub
expect 2 "$(tool signify-openbsd -Vq -p t.pub -m s/image.iso)" "signify, another key" -- --check-signature s/image.iso --key t.pub
expect 0 - "--verify, .minisig beside" -- --verify l/SHA256SUMS --key a.pub --ignore-missing
grep -q 'signature good' <<<"$out" || fail "--verify does not say the signature is good: $out"
expect 0 - "--verify, signify's SHA256.sig" -- --verify o/SHA256.sig --key s.pub --ignore-missing
expect 2 - "--verify, signify's SHA256.sig, another key" -- --verify o/SHA256.sig --key t.pub --ignore-missing

# The key store holds minisign and signify keys too: added with a label,
# listed, trusted, refused when another key has the same key ID, named and
# skipped when damaged, removed by the key ID.
# The key ID from the key itself: minisign's comment drops its leading zeros.
id=$(python3 -c "import base64, sys; print('%016X' % int.from_bytes(base64.b64decode(open('a.line').read())[2:10], 'little'))")
store=$XDG_CONFIG_HOME/sumbrook/keys
expect 0 - "--add-key of a minisign key" -- --add-key a.pub --label "Zig releases"
expect 0 - "--add-key of a signify key" -- --add-key s.pub
expect 0 - "--keys" -- --keys
grep -q "Zig releases" <<<"$out" && grep -q "key ID $id" <<<"$out" && grep -qF "$(cat a.line)" <<<"$out" ||
  fail "--keys does not show the minisign key: $out"
expect 0 - "minisign, by the store" -- --check-signature m/image.iso
grep -q "by Zig releases, the key" <<<"$out" || fail "the store's label is not shown: $out"
expect 0 - "signify, by the store" -- --check-signature s/image.iso
expect 0 - "--verify, .minisig, by the store" -- --verify l/SHA256SUMS --ignore-missing
grep -q "signature good, by Zig releases" <<<"$out" || fail "--verify does not name the store's key: $out"
python3 -c "import base64; r = bytearray(base64.b64decode(open('a.line').read())); r[-1] ^= 1
print('untrusted comment: the same key ID, another key\n' + base64.b64encode(r).decode())" >twin.pub
expect 2 - "--add-key of another key with a key ID held" -- --add-key twin.pub
grep -q "another key with the key ID $id" <<<"$out" || fail "no reason for refusing the twin key: $out"
expect 2 - "--add-key of a secret key" -- --add-key a.key
grep -q "secret key" <<<"$out" || fail "a secret key is not named as such: $out"
echo damaged >"$store/0000000000000000.pub"
expect 0 - "a damaged .pub in the store" -- --check-signature m/image.iso
grep -q "0000000000000000.pub" <<<"$out" || fail "a damaged .pub is not named: $out"
rm "$store/0000000000000000.pub"
expect 0 - "--remove-key by key ID" -- --remove-key "$id"
expect 2 - "--remove-key of a key ID not held" -- --remove-key "$id"
expect 2 - "minisign, its key removed" -- --check-signature m/image.iso
expect 0 - "--remove-key by the base64 line" -- --remove-key "$(tail -n 1 s.pub)"
rm -rf "$XDG_CONFIG_HOME"

printf 'changed\n' >>s/image.iso
printf 'changed\n' >>l/SHA256SUMS
sed -i 's/(one)/(One)/' o/SHA256.sig
expect 1 "$(tool signify-openbsd -Vq -p s.pub -m s/image.iso)" "signify, changed" -- --check-signature s/image.iso --key s.pub
expect 1 - "--verify, changed list with .minisig" -- --verify l/SHA256SUMS --key a.pub --ignore-missing
grep -q 'BAD signature' <<<"$out" || fail "--verify does not say BAD: $out"
expect 1 - "--verify, changed SHA256.sig" -- --verify o/SHA256.sig --key s.pub --ignore-missing

[ "$failures" -eq 0 ] && echo "ed25519-cli-test: all cases as expected" || exit 1
