#!/usr/bin/env bash
# Writes to OUT the public-key cases that the signature tests read (both
# builds: natively and under Wine, the same file), each made here and now
# by the `openssl` tool with keys it generates, one case a line:
#   rsa HASH N E DIGEST SIGNATURE        (an RSA PKCS#1 v1.5 signature)
#   ecdsa CURVE POINT DIGEST R S         (ECDSA, r and s as DER holds them)
#   ed25519 KEY MESSAGE SIGNATURE
#   blake2b MESSAGE DIGEST               (BLAKE2b-512)
# every field in hex. Among the RSA cases is one whose signature has a
# leading zero byte (about 1 in 256 has), given without it as OpenPGP does.
set -euo pipefail
out=$1
mkdir -p "$(dirname "$out")"
work=$(mktemp -d "${TMPDIR:-/tmp}/sbkeys.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

hex() { od -An -v -tx1 | tr -d ' \n'; }
lines=()

rsa_key() {  # BITS NAME
  openssl genpkey -algorithm RSA -pkeyopt "rsa_keygen_bits:$1" -out "$2" 2>/dev/null
  n=$(openssl rsa -in "$2" -noout -modulus | sed 's/^Modulus=//')
  e=$(openssl pkey -in "$2" -noout -text_pub | sed -n 's/.*Exponent: [0-9]* (0x\([0-9a-f]*\)).*/\1/p')
  [ $((${#e} % 2)) -eq 0 ] || e=0$e
}
rsa_sign() {  # KEY HASH MESSAGE -> digest and signature hex in $digest $sig
  printf '%s' "$3" | openssl dgst "-$2" -binary >d
  digest=$(hex <d)
  openssl pkeyutl -sign -inkey "$1" -pkeyopt "digest:$2" -in d -out s
  sig=$(hex <s)
}

for spec in "2048 sha256" "3072 sha384" "4096 sha512"; do
  set -- $spec
  rsa_key "$1" "rsa$1.pem"
  rsa_sign "rsa$1.pem" "$2" "a list signed with RSA-$1"
  lines+=("rsa $2 $n $e $digest $sig")
  [ "$1" != 2048 ] || { n2048=$n e2048=$e; }
done

# A signature that starts with a zero byte, found by signing message after
# message with the 2048-bit key (each one has that chance 1 in 256).
for ((i = 0; i < 6000; i++)); do
  rsa_sign rsa2048.pem sha256 "message $i"
  if [ "${sig:0:2}" = 00 ]; then
    lines+=("rsa sha256 $n2048 $e2048 $digest ${sig#00}")
    break
  fi
done
[ "${sig:0:2}" = 00 ] || { echo "make-key-cases: no short RSA signature in 6000 tries" >&2; exit 1; }

for spec in "P-256 sha256 65" "P-384 sha384 97"; do
  set -- $spec
  openssl genpkey -algorithm EC -pkeyopt "ec_paramgen_curve:$1" -out ec.pem 2>/dev/null
  point=$(openssl pkey -in ec.pem -pubout -outform DER | tail -c "$3" | hex)
  printf 'a list signed on %s' "$1" | openssl dgst "-$2" -binary >d
  openssl pkeyutl -sign -inkey ec.pem -in d -out s
  rs=($(openssl asn1parse -inform DER -in s | sed -n 's/.*INTEGER *:\([0-9A-Fa-f]*\).*/\1/p'))
  lines+=("ecdsa $1 $point $(hex <d) ${rs[0]} ${rs[1]}")
done

openssl genpkey -algorithm ED25519 -out ed.pem
printf 'a list signed with Ed25519' >m
openssl pkeyutl -sign -rawin -inkey ed.pem -in m -out s
lines+=("ed25519 $(openssl pkey -in ed.pem -pubout -outform DER | tail -c 32 | hex) $(hex <m) $(hex <s)")

head -c 3001 /dev/urandom >m
lines+=("blake2b $(hex <m) $(openssl dgst -blake2b512 -binary m | hex)")

printf '%s\n' "${lines[@]}" >"$out.tmp"
mv "$out.tmp" "$out"
