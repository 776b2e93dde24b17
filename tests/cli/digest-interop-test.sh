#!/usr/bin/env bash
# Lists of sha256sum and its peers against sumbrook-cli, both ways, on trees
# of awkward names (blanks, a leading blank, '*', '\', a line break,
# non-ASCII, a subfolder): each tool's list verifies here with exit 0, and
# after a change here and by the tool itself with the same verdicts; each
# list written here with --list passes the tool's own check; the lines of
# `sumbrook-cli -a KIND FILE...` are the tool's, byte for byte. Then a
# clear-signed list, --ignore-missing, --compare -a and an unknown
# algorithm. A program ending in .exe runs under Wine, on the names Windows
# can hold, and its digests (the system's CNG) must equal the tools'.
# Usage: digest-interop-test.sh path/to/sumbrook-cli[.exe]
set -uo pipefail

program=$(realpath "$1")
wine_run=$(realpath "$(dirname "$0")/../../cmake/wine-run.sh")
work=$(mktemp -d "${TMPDIR:-/tmp}/sbdigest.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# cli ARGS: output (CRs dropped) in $out, exit code in $code.
if [[ "$program" == *.exe ]]; then
  cli() { out=$(set -o pipefail; timeout 120 "$wine_run" "$program" "$@" 2>"$work/err" | tr -d '\r'); code=$?; }
  windows=1
else
  cli() { out=$(timeout 60 "$program" "$@" 2>"$work/err"); code=$?; }
  windows=0
fi

# in_tree COMMAND...: COMMAND run in tree/ (cli's $out and $code kept).
in_tree() { pushd tree >/dev/null || exit 1; "$@"; popd >/dev/null || exit 1; }

# The names of a tree, each with the feature that a tool may not hold.
names=("plain.txt" "with blank.txt" " leading blank.txt" "ünïcödé ✓.txt" "sub/deeper.txt")
features=("" "" "" "" "")
if [ "$windows" -eq 0 ]; then
  names+=("st*ar.txt" 'back\slash.txt' $'line\nbreak.txt')
  features+=("" "backslash" "newline")
fi

# tree SKIP: a fresh tree of every name whose feature is not in SKIP; the
# names in $listed.
tree() {
  rm -rf tree && mkdir -p tree/sub
  listed=()
  for i in "${!names[@]}"; do
    [ -n "${features[$i]}" ] && [[ " $1 " == *" ${features[$i]} "* ]] && continue
    printf 'content of %s %d' "${names[$i]}" "$i" >"tree/${names[$i]}"
    listed+=("${names[$i]}")
  done
}

# label | list's name | the tool writing it (in tree/, names appended) |
# the tool checking it (in tree/) | features the tool cannot hold
writers=(
  "md5sum|MD5SUMS|md5sum|md5sum -c|"
  "sha1sum|list.sha1|sha1sum|sha1sum -c|"
  "sha256sum|SHA256SUMS|sha256sum|sha256sum -c|"
  "sha512sum|list.sha512|sha512sum|sha512sum -c|"
  "sha256sum --tag|tags.txt|sha256sum --tag|sha256sum -c|"
  "cksum -a sha512|cksum.txt|cksum -a sha512|cksum -c|"
  "b3sum|hashes.txt|b3sum|b3sum --check|"
  "xxhsum -H2|xxh.txt|xxhsum -H2|xxhsum -c|newline"
  "xxhsum -H3|list.xxh3|xxhsum -H3|xxhsum -c|newline"
  "xxhsum|sums.txt|xxhsum|xxhsum -c|newline"
  "rhash --sha256|rhash.txt|rhash --sha256|rhash -c --skip-ok|backslash newline"
  "openssl dgst|openssl.txt|openssl dgst -sha256|true|newline"
  "openssl dgst -sha3-256|sha3.txt|openssl dgst -sha3-256|true|newline"
  "openssl dgst -r -sha3-256|sha3-r.txt|openssl dgst -r -sha3-256|true|backslash newline"
  "openssl dgst -sha3-512|sha3-512.txt|openssl dgst -sha3-512|true|newline"
  "openssl dgst -r -sha3-512|sha3-512-r.txt|openssl dgst -r -sha3-512|true|backslash newline"
  "openssl dgst -sha224|openssl224.txt|openssl dgst -sha224|true|newline"
  "openssl dgst -blake2b512|openssl-b2.txt|openssl dgst -blake2b512|true|newline"
  "sha224sum|SHA224SUMS|sha224sum|sha224sum -c|"
  "cksum -a sha224|cksum224.txt|cksum -a sha224|cksum -c|"
  "b2sum|B2SUMS|b2sum|b2sum -c|"
  "b2sum, Arch's name|b2sums.txt|b2sum|b2sum -c|"
  "b2sum --tag|b2tags.txt|b2sum --tag|b2sum -c|"
  "b2sum -l 256|b2-256.txt|b2sum -l 256|b2sum -c|"
  "cksum -a blake2b|cksum-b2.txt|cksum -a blake2b|cksum -c|"
  "cksum -a blake2b -l 256|cksum-b2-256.txt|cksum -a blake2b -l 256|cksum -c|"
)
for row in "${writers[@]}"; do
  IFS='|' read -r label list write check skip <<<"$row"
  tree "$skip"
  (cd tree && $write "${listed[@]}" >"../$list" 2>/dev/null) || { fail "$label cannot write its list"; continue; }
  cli --verify "$list" tree
  [ "$code" -eq 0 ] || fail "$label's list: exit $code: $out $(cat err)"
  [ "$(grep -c '^OK  ' <<<"$out")" -eq "${#listed[@]}" ] || fail "$label's list: $out"
  printf changed >tree/plain.txt
  rm "tree/with blank.txt"
  cli --verify "$list" tree
  [ "$code" -eq 1 ] || fail "$label's list after a change: exit $code: $out $(cat err)"
  [[ "$out" == *"CHANGED     plain.txt  "* && "$out" == *"MISSING     with blank.txt"* ]] ||
    fail "$label's list after a change: $out"
  [ "$(grep -c '^OK  ' <<<"$out")" -eq $((${#listed[@]} - 2)) ] || fail "$label's list after a change: $out"
  if [ "$check" != true ]; then
    theirs=$(cd tree && $check "../$list" 2>&1)
    grep -v 'OK$' <<<"$theirs" | grep -q 'plain.txt' && grep -v 'OK$' <<<"$theirs" | grep -q 'with blank.txt' ||
      fail "$label itself finds otherwise: $theirs"
  fi
done

# What cksum -a sha3 would print (coreutils 9.1 has no SHA-3), from openssl
# dgst, on names that need no escape.
sha3_256sum() { openssl dgst -r -sha3-256 "$@" | sed 's/ \*/  /'; }
sha3_256tag() { openssl dgst -sha3-256 "$@" | sed 's/^\([^(]*\)(\(.*\))= /\1 (\2) = /'; }
sha3_512sum() { openssl dgst -r -sha3-512 "$@" | sed 's/ \*/  /'; }

# kind | --tag or not | the tool checking the list written here (in tree/) |
# features it cannot read | the tool printing the lines of -a, or none
readers=(
  "md5||md5sum -c||md5sum"
  "sha1||sha1sum -c||sha1sum"
  "sha256||sha256sum -c||sha256sum"
  "sha384||sha384sum -c||sha384sum"
  "sha512||sha512sum -c||sha512sum"
  "sha256|--tag|cksum -c||sha256sum --tag"
  "blake3||b3sum --check||b3sum"
  "xxh128||xxhsum -c|newline|xxhsum -H2"
  "xxh3||xxhsum -c|newline|xxhsum -H3"
  "xxh64||xxhsum -c|newline|xxhsum"
  "sha3-256||true|backslash newline|sha3_256sum"
  "sha3-256|--tag|true|backslash newline|sha3_256tag"
  "sha3-512||true|backslash newline|sha3_512sum"
  "sha224||sha224sum -c||sha224sum"
  "sha224|--tag|cksum -c||cksum -a sha224"
  "blake2b||b2sum -c||b2sum"
  "blake2b|--tag|cksum -c||b2sum --tag"
  "blake2b-256||b2sum -c||b2sum -l 256"
  "blake2b-256|--tag|cksum -c||cksum -a blake2b -l 256"
)
for row in "${readers[@]}"; do
  IFS='|' read -r kind tag check skip printer <<<"$row"
  label="-a $kind $tag"
  tree "$skip"
  cli --list tree -r -a "$kind" $tag -o written.txt
  [ "$code" -eq 0 ] || { fail "--list $label: exit $code: $(cat err)"; continue; }
  [ "$(wc -l <written.txt)" -eq "${#listed[@]}" ] || fail "--list $label: $(cat written.txt)"
  theirs=$(cd tree && $check ../written.txt 2>&1) || fail "$check refuses --list $label: $theirs"
  cli --verify written.txt tree -r
  [ "$code" -eq 0 ] || fail "--verify of --list $label: exit $code: $out"
  (cd tree && $printer "${listed[@]}" 2>/dev/null) >theirs.txt
  in_tree cli -a "$kind" $tag "${listed[@]}"
  [ "$out" == "$(cat theirs.txt)" ] || fail "-a $label prints otherwise than $printer:"$'\n'"$out"$'\n'"$(cat theirs.txt)"
done

# Without -a: the CRC-32 lines as ever.
tree ""
in_tree cli plain.txt
[ "$out" == "$(cd tree && rhash --printf '%C' plain.txt)  plain.txt" ] || fail "CRC-32 line: $out"

# A clear-signed list (its signature never checked) and the digest file of
# one download.
tree ""
{ printf -- '-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n'
  (cd tree && sha256sum plain.txt sub/deeper.txt)
  printf -- '-----BEGIN PGP SIGNATURE-----\n\niQEzBAEBCAAdFiEE\n=abcd\n-----END PGP SIGNATURE-----\n'
} >signed.txt
cli --verify signed.txt tree --ignore-missing
[ "$code" -eq 0 ] && [[ "$out" == *"2 OK, 0 CHANGED, "*"the list's signature was not checked"* ]] ||
  fail "clear-signed list: exit $code: $out $(cat err)"
(cd tree/sub && sha256sum deeper.txt | cut -c1-64 >deeper.txt.sha256)
cli --verify tree/sub/deeper.txt.sha256
[ "$code" -eq 0 ] && [[ "$out" == "OK          deeper.txt"$'\n'* ]] || fail "digest alone: exit $code: $out $(cat err)"

# --ignore-missing: the listed files there only; none there is an error.
printf '%064d  gone.iso\n' 0 >>SHA256SUMS.more
(cd tree && sha256sum plain.txt) >>SHA256SUMS.more
cli --verify SHA256SUMS.more tree --ignore-missing
[ "$code" -eq 0 ] && [[ "$out" == "OK          plain.txt"$'\n1 OK, 0 CHANGED, 0 MISSING, 0 NEW,'* ]] ||
  fail "--ignore-missing: exit $code: $out"
printf '%064d  gone.iso\n' 0 >SHA256SUMS.gone
cli --verify SHA256SUMS.gone tree --ignore-missing
[ "$code" -eq 2 ] && grep -q "names no file that is there" err || fail "--ignore-missing, none there: exit $code $(cat err)"

# --compare -a: files of one size compared by that digest.
tree ""
cp -r tree copy && printf 'content of plain.txt X' >copy/plain.txt
cli --compare tree copy -r -a sha256
[ "$code" -eq 1 ] && [[ "$out" == *"DIFFERENT   plain.txt  $(sha256sum <tree/plain.txt | cut -c1-64) -> $(sha256sum <copy/plain.txt | cut -c1-64)"* ]] ||
  fail "--compare -a sha256: exit $code: $out"

# -a lines end in LF alone in both builds, as b3sum --check and xxhsum -c
# read them.
tree ""
for row in "blake3|b3sum --check" "xxh64|xxhsum -c" "sha256|sha256sum -c"; do
  IFS='|' read -r kind check <<<"$row"
  if [ "$windows" -eq 1 ]; then
    (cd tree && timeout 120 "$wine_run" "$program" -a "$kind" plain.txt 2>/dev/null) >raw.txt
  else
    (cd tree && "$program" -a "$kind" plain.txt) >raw.txt
  fi
  ! grep -q $'\r' raw.txt || fail "-a $kind writes CR LF: $(od -c raw.txt | head -3)"
  (cd tree && $check ../raw.txt >/dev/null 2>&1) || fail "$check refuses the line of -a $kind"
done

# A name that ends with CR: b3sum and xxhsum write it as it is and read it
# so, and -a prints it as they do; --list leaves it out of their lists,
# saying why (it would read back here without its CR); sha256sum's lines
# escape it, and its list holds it.
if [ "$windows" -eq 0 ]; then
  rm -rf cr && mkdir cr && printf x >cr/$'endcr\r' && printf y >cr/plain
  for row in "blake3|b3sum|2" "xxh64|xxhsum|2" "xxh128|xxhsum -H2|2" "sha256|sha256sum|0"; do
    IFS='|' read -r kind printer listed_code <<<"$row"
    (cd cr && $printer * 2>/dev/null) >theirs.bin
    (cd cr && "$program" -a "$kind" *) >ours.bin
    cmp -s theirs.bin ours.bin || fail "-a $kind of a name ending with CR is not $printer's: $(od -c ours.bin | head -4)"
    cli --list cr -a "$kind" -o cr-list.txt
    [ "$code" -eq "$listed_code" ] || fail "--list -a $kind of a name ending with CR: exit $code: $(cat err)"
    [ "$listed_code" -eq 0 ] || grep -q "cannot be listed: a name that ends with a CR" err || fail "--list -a $kind: $(cat err)"
  done
  (cd cr && sha256sum -c ../cr-list.txt >/dev/null) || fail "sha256sum -c refuses a name ending with CR"
fi

cli -a sha3 tree/plain.txt
[ "$code" -eq 2 ] && grep -q "crc32, md5, sha1, sha256, sha384, sha512, blake3, xxh3, xxh128" err ||
  fail "an unknown algorithm: exit $code $(cat err)"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "digest-interop-test: passed"
