#!/usr/bin/env bash
# hash/'s hashers against the tools people use for each kind, in one run, on
# one cached 1 GiB file, one process each (b3sum on one thread): our side is
# `hash_bench --file KIND FILE` (the file read as files/ reads it for
# sumbrook-cli -j1). Last, the read paths the choice in files/FileChecksum.h
# was made among (pread in blocks of 64 KiB, 256 KiB, 4 MiB; mapped), for a
# fast, a slow and the tree-hashed kind, runs alternated, so that the choice
# can be measured again on another processor. First the
# hashers alone over a buffer in memory (hash_bench), then for each kind the
# medians of hyperfine runs of every tool and of ours, as GB/s of wall time
# and of processor time (user + system: what the tool itself spends, which a
# machine busy with other work leaves unchanged), and our ratio to each
# tool. Every tool's digest is first checked against ours. Not asserted.
# Usage: bench/hash-bench.sh path/to/hash_bench   (make bench-hash)
# Needs hyperfine, python3, openssl, rhash, b3sum, xxhsum and coreutils.
set -euo pipefail

bench=$(realpath "$1")
runs=${BENCH_RUNS:-5}
grep -m1 'model name' /proc/cpuinfo
grep -m1 'cpu family' /proc/cpuinfo
grep -m1 '^model[[:space:]]' /proc/cpuinfo
grep -qw avx512f /proc/cpuinfo && echo "AVX-512: yes" || echo "AVX-512: no"
for tool in hyperfine python3 openssl rhash b3sum xxhsum sha256sum; do
  command -v "$tool" >/dev/null || { echo "hash-bench: $tool is missing (apt-get install hyperfine openssl rhash b3sum xxhash coreutils)"; exit 1; }
done

data=$(mktemp -d "${TMPDIR:-/tmp}/sumbrook-hash-bench.XXXXXX")
trap 'rm -rf "$data"' EXIT
file=$data/one.bin
head -c $((1 << 30)) /dev/urandom >"$file"
cat "$file" >/dev/null  # into the cache

"$bench"
echo

# kind, then each peer's command (the file is appended); their output's
# first word is the digest in hexadecimal (xxhsum -H3: its last word).
peers=(
  "crc32|rhash --crc32 --simple"
  "md5|md5sum|openssl dgst -md5 -r|rhash --md5 --simple"
  "sha1|sha1sum|openssl dgst -sha1 -r|rhash --sha1 --simple"
  "sha256|sha256sum|openssl dgst -sha256 -r|rhash --sha256 --simple"
  "sha384|sha384sum|openssl dgst -sha384 -r|rhash --sha384 --simple"
  "sha512|sha512sum|openssl dgst -sha512 -r|rhash --sha512 --simple"
  "blake3|b3sum --num-threads 1"
  "xxh3|xxhsum -H3"
  "xxh128|xxhsum -H2"
)

printf '%-7s %-28s %9s %9s %8s %8s\n' kind tool "GB/s wall" "GB/s cpu" "ours/it" "(cpu)"
for line in "${peers[@]}"; do
  IFS='|' read -r -a fields <<<"$line"
  kind=${fields[0]}
  tools=("${fields[@]:1}")
  ours="$bench --file $kind $file"
  want=$($ours | awk '{print tolower($1)}')
  for tool in "${tools[@]}"; do
    word='$1'
    [ "$kind" = xxh3 ] && word='$NF'
    got=$($tool "$file" 2>/dev/null | awk "{print tolower($word)}")
    [ "$got" = "$want" ] || { echo "hash-bench: $tool says $got, we say $want"; exit 1; }
  done
  commands=("$ours")
  for tool in "${tools[@]}"; do commands+=("$tool $file"); done
  hyperfine --runs "$runs" --warmup 1 --style none --export-json "$data/$kind.json" \
    "${commands[@]/%/ >/dev/null}" >/dev/null 2>&1
  python3 - "$data/$kind.json" "$kind" "$((1 << 30))" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
kind, size = sys.argv[2], int(sys.argv[3])
def speeds(r):
    wall = statistics.median(r["times"])
    cpu = r["user"] + r["system"]
    return size / wall / 1e9, size / cpu / 1e9
ours = speeds(results[0])
for i, r in enumerate(results):
    name = "hash_bench" if i == 0 else r["command"].split(" /")[0]
    wall, cpu = speeds(r)
    ratio = "" if i == 0 else " %8.2f %8.2f" % (ours[0] / wall, ours[1] / cpu)
    print("%-7s %-28s %9.2f %9.2f%s" % (kind, name[:28], wall, cpu, ratio))
PY
done

echo
echo "Read paths, one thread, median of $runs alternated runs: seconds of wall and of processor time"
ways=(pread64k pread256k pread4m map)
for kind in xxh128 sha256 blake3; do
  commands=()
  for way in "${ways[@]}"; do commands+=("$bench --read $way $kind $file"); done
  python3 "$(dirname "$0")/alternate-runs.py" "$runs" "$data/read-$kind.json" "${commands[@]}"
  python3 - "$data/read-$kind.json" "$kind" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1])):
    print("%-7s %-10s wall %6.3f s  processor %6.3f s" % (sys.argv[2], r["command"].split()[2],
                                                       r["wall"], r["cpu"]))
PY
done
