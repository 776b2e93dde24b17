#!/usr/bin/env bash
# A pre-hashed minisign signature over one cached 1 GiB file checked by
# signature/'s MinisignCheck (bench/MinisignCheckBench.cpp: 1 MiB reads,
# BLAKE2b-512 from hash/, libgcrypt in both builds) and by
# `minisign -V` itself, in one run: the medians of hyperfine runs as GB/s
# of wall time and our ratio to minisign. Both must say the signature is
# good. Not asserted.
# Usage: bench/minisign-bench.sh path/to/minisign_check_bench [wine]
# (with `wine`, the Windows build's program runs under cmake/wine-run.sh).
# Needs hyperfine, minisign and python3.
set -euo pipefail
bench=$(realpath "$1")
run=()
[ "${2:-}" = wine ] && run=("$(cd "$(dirname "$0")/.." && pwd)/cmake/wine-run.sh")
runs=${BENCH_RUNS:-5}
for tool in hyperfine minisign python3; do
  command -v "$tool" >/dev/null || { echo "minisign-bench: $tool is missing (apt-get install hyperfine minisign python3)"; exit 1; }
done
data=$(mktemp -d "${TMPDIR:-/tmp}/sumbrook-minisign-bench.XXXXXX")
trap 'rm -rf "$data"' EXIT
cd "$data"
head -c $((1 << 30)) /dev/urandom >one.bin
minisign -G -W -p key.pub -s key.sec >/dev/null
minisign -S -s key.sec -m one.bin >/dev/null
ours="${run[*]} $bench key.pub one.bin.minisig one.bin"
$ours | grep -q '^Good ' || { echo "minisign-bench: our check is not good"; exit 1; }
minisign -V -q -p key.pub -m one.bin || { echo "minisign-bench: minisign -V fails"; exit 1; }
grep -m1 -E '^model name' /proc/cpuinfo | sed 's/^/cpu: /'
grep -m1 -E '^cpu family' /proc/cpuinfo | sed 's/^/cpu: /'
grep -m1 -E '^model\s' /proc/cpuinfo | sed 's/^/cpu: /'
grep -qw avx512f /proc/cpuinfo && echo "cpu: avx512f" || echo "cpu: no avx512f"
hyperfine --runs "$runs" --warmup 1 --style none --export-json times.json \
  "$ours >/dev/null" "minisign -V -q -p key.pub -m one.bin" >/dev/null 2>&1
python3 - times.json <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
size = 1 << 30
ours, theirs = (r["median"] for r in results)
print(f"ours      {size / ours / 1e9:6.2f} GB/s wall")
print(f"minisign  {size / theirs / 1e9:6.2f} GB/s wall")
print(f"ours/minisign (speed): {theirs / ours:.2f}")
PY
