#!/usr/bin/env bash
# sumbrook-cli --check-signature over one cached 1 GiB file against the
# tools of each signature and the digest beneath it, in one run with the
# runs alternated (bench/alternate-runs.py, medians of BENCH_RUNS, default
# 5): an OpenPGP Ed25519 signature over SHA-256 against gpgv and sha256sum,
# an RSA-3072 one over SHA-512 against gpgv and sha512sum, and a pre-hashed
# minisign signature against minisign -V and b2sum. Prints processor
# seconds and each ratio to ours (theirs / ours: above 1, ours is faster),
# with the CPU kind. Every check must be good before it is timed.
# Usage: bench/check-signature-bench.sh path/to/sumbrook-cli
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
runs=${BENCH_RUNS:-5}
for tool in gpg gpgv minisign sha256sum sha512sum b2sum python3; do
  command -v "$tool" >/dev/null || { echo "check-signature-bench: $tool is missing"; exit 1; }
done
data=$(mktemp -d "${TMPDIR:-/tmp}/sumbrook-signature-bench.XXXXXX")
trap 'gpgconf --homedir "$data/gnupg" --kill all >/dev/null 2>&1; rm -rf "$data"' EXIT
cd "$data"
export GNUPGHOME=$data/gnupg XDG_CONFIG_HOME=$data/config
mkdir -m 700 "$GNUPGHOME"
g() { gpg --batch --quiet --no-tty --pinentry-mode loopback --passphrase '' "$@" 2>/dev/null; }
g --quick-gen-key "Ed <ed@example.org>" ed25519 sign never
g --quick-gen-key "Rsa <rsa@example.org>" rsa3072 sign never
g --export ed@example.org >ed.key && g --export rsa@example.org >rsa.key
head -c $((1 << 30)) /dev/urandom >one.bin
g -u ed@example.org --digest-algo SHA256 -o one.ed.sig --detach-sign one.bin
g -u rsa@example.org --digest-algo SHA512 -o one.rsa.sig --detach-sign one.bin
minisign -G -W -p ms.pub -s ms.key >/dev/null && minisign -S -s ms.key -m one.bin >/dev/null
ours_ed="$cli --check-signature one.bin --signature one.ed.sig --key ed.key"
ours_rsa="$cli --check-signature one.bin --signature one.rsa.sig --key rsa.key"
ours_ms="$cli --check-signature one.bin --signature one.bin.minisig --key ms.pub"
gpgv_ed="gpgv --keyring $data/ed.key one.ed.sig one.bin"
gpgv_rsa="gpgv --keyring $data/rsa.key one.rsa.sig one.bin"
minisign_v="minisign -V -q -p ms.pub -m one.bin"
for command in "$ours_ed" "$ours_rsa" "$ours_ms" "$gpgv_ed" "$gpgv_rsa" "$minisign_v"; do
  $command >/dev/null 2>&1 || { echo "check-signature-bench: not good: $command"; exit 1; }
done
grep -m1 -E '^model name' /proc/cpuinfo | sed 's/^/cpu: /'
grep -m1 -E '^cpu family' /proc/cpuinfo | sed 's/^/cpu: /'
grep -m1 -E '^model\s' /proc/cpuinfo | sed 's/^/cpu: /'
grep -qw avx512f /proc/cpuinfo && echo "cpu: avx512f" || echo "cpu: no avx512f"
grep -qw sha_ni /proc/cpuinfo && echo "cpu: sha_ni" || echo "cpu: no sha_ni"
python3 "$here/alternate-runs.py" "$runs" times.json "$ours_ed" "$gpgv_ed" "sha256sum one.bin" \
  "$ours_rsa" "$gpgv_rsa" "sha512sum one.bin" "$ours_ms" "$minisign_v" "b2sum one.bin"
python3 - times.json <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
names = ["ours Ed25519/SHA-256", "gpgv", "sha256sum", "ours RSA-3072/SHA-512", "gpgv",
         "sha512sum", "ours minisign (BLAKE2b)", "minisign -V", "b2sum"]
for group in range(3):
    ours = r[3 * group]
    print(f"{names[3 * group]:26s} cpu {ours['cpu']:6.3f} s  wall {ours['wall']:6.3f} s")
    for i in (1, 2):
        other = r[3 * group + i]
        print(f"  {names[3 * group + i]:24s} cpu {other['cpu']:6.3f} s  wall {other['wall']:6.3f} s"
              f"  {names[3 * group + i]}/ours cpu {other['cpu'] / ours['cpu']:.2f}")
PY
