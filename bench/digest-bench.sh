#!/usr/bin/env bash
# sumbrook-cli's digests against the tools people compare it with, on the same
# cached data, in one run: one file of 1 GiB read by one job (SHA-256, SHA-1,
# MD5 and SHA-512 against rhash, SHA-256 also against sha256sum, BLAKE3
# against b3sum on one thread, XXH128 and XXH64 against xxhsum, CRC-32
# against rhash, SHA-224, SHA3-256 and SHA3-512 against `openssl dgst`,
# BLAKE2b and BLAKE2b-256 against b2sum) and by the default jobs (BLAKE3 against b3sum's default,
# all cores); --verify of a SHA-256 list of that one file alone, and beside
# a 4-byte file the list does not name (NEW), against `rhash -c`; --verify
# of SHA-256 lists of 64 x 16 MiB, 10,000 x 4 KiB in one folder and in 100
# folders of 100 with two jobs against one job, `rhash -c` and
# `sha256sum -c`; and the peak memory of --verify of
# a list of 1,000,000 lines whose files are all missing, as a SHA-256 list
# against the same list as SFV. The 1 GiB runs are alternated
# (bench/alternate-runs.py), the others hyperfine's; medians; ratios above 1
# mean sumbrook-cli is faster. Nothing is asserted. Name the processor
# (/proc/cpuinfo) beside the figures: it is printed first.
# With the bare loop of bench/SmallFilesBoundBench.cpp as well, 10,000 x 4 KiB
# is also read by it on one thread and on two: how far two cores took the
# same opens, reads and hashes in that run, with nothing else to do.
# Usage: bench/digest-bench.sh path/to/sumbrook-cli [path/to/small_files_bound]
#        (part of make bench-cli)
# Needs rhash, b3sum, xxhsum, b2sum, openssl, hyperfine and python3; the data lives under
# /tmp and is removed at the end.
set -euo pipefail

cli=$(realpath "$1")
bound=${2:+$(realpath "$2")}
runs=${BENCH_RUNS:-5}
for tool in rhash b3sum xxhsum sha256sum b2sum openssl hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "digest-bench: rhash, b3sum, xxhsum (xxhash), b2sum, openssl, hyperfine and python3 are needed (make setup)"; exit 1; }
done

data=$(mktemp -d /tmp/sumbrook-digest-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT
echo "Making the data in $data ..."
mkdir "$data/big" "$data/small" "$data/tree" "$data/medium" "$data/million" "$data/new"
python3 - "$data" <<'PY'
import os, sys
root = sys.argv[1]
with open(os.path.join(root, "big", "one.bin"), "wb") as f:
    for _ in range(64):
        f.write(os.urandom(16 << 20))
for i in range(10000):
    with open(os.path.join(root, "small", "f%05d" % i), "wb") as f:
        f.write(os.urandom(4096))
for d in range(100):
    os.mkdir(os.path.join(root, "tree", "d%03d" % d))
    for i in range(100):
        with open(os.path.join(root, "tree", "d%03d" % d, "f%03d" % i), "wb") as f:
            f.write(os.urandom(4096))
block = os.urandom(16 << 20)
for i in range(64):
    with open(os.path.join(root, "medium", "m%02d" % i), "wb") as f:
        f.write(block[i:] + block[:i])
with open(os.path.join(root, "million", "million.sfv"), "w") as sfv, \
     open(os.path.join(root, "million", "SHA256SUMS"), "w") as sums:
    for i in range(1000000):
        name = "dir%03d/file%07d.bin" % (i % 1000, i)
        sfv.write("%s %08X\n" % (name, i))
        sums.write("%064x  %s\n" % (i, name))
PY
for set in small medium; do
  (cd "$data/$set" && sha256sum -- * >SHA256SUMS)
done
(cd "$data/tree" && sha256sum -- */* >SHA256SUMS)
ln "$data/big/one.bin" "$data/new/one.bin"
(cd "$data/new" && sha256sum one.bin >SHA256SUMS && printf tiny >tiny.new)
cat "$data"/big/* "$data"/small/* "$data"/tree/*/* "$data"/medium/* >/dev/null  # into the cache

grep -m1 'model name' /proc/cpuinfo
grep -m1 'cpu family' /proc/cpuinfo
grep -m1 '^model[[:space:]]' /proc/cpuinfo
grep -qw avx512f /proc/cpuinfo && echo "AVX-512: yes" || echo "AVX-512: no"
echo "Timing (median of $runs runs each) ..."
big="$data/big/one.bin"
new="$data/new"
python3 "$(dirname "$0")/alternate-runs.py" "$runs" "$data/big.json" \
  "$cli -j1 -a sha256 $big" "rhash --sha256 $big" "sha256sum $big" \
  "$cli -j1 -a sha1 $big" "rhash --sha1 $big" \
  "$cli -j1 -a md5 $big" "rhash --md5 $big" \
  "$cli -j1 -a sha512 $big" "rhash --sha512 $big" \
  "$cli -j1 -a blake3 $big" "b3sum --num-threads 1 $big" \
  "$cli -j1 -a xxh128 $big" "xxhsum -H2 $big" \
  "$cli -j1 -a xxh64 $big" "xxhsum -H1 $big" \
  "$cli -j1 -a crc32 $big" "rhash --crc32 $big" \
  "$cli -a blake3 $big" "b3sum $big" \
  "cd $data/big && $cli --verify $new/SHA256SUMS $data/big" \
  "cd $new && $cli --verify SHA256SUMS" "cd $new && rhash --skip-ok -c SHA256SUMS" \
  "$cli -j1 -a sha224 $big" "openssl dgst -sha224 $big" \
  "$cli -j1 -a sha3-256 $big" "openssl dgst -sha3-256 $big" \
  "$cli -j1 -a sha3-512 $big" "openssl dgst -sha3-512 $big" \
  "$cli -j1 -a blake2b $big" "b2sum $big" \
  "$cli -j1 -a blake2b-256 $big" "b2sum -l 256 $big"
for set in small tree medium; do
  bare=()
  if [ "$set" = small ] && [ -n "$bound" ]; then
    bare=("$bound 1 $data/small" "$bound 2 $data/small")
  fi
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$data/$set.json" \
    "cd $data/$set && $cli --verify SHA256SUMS -j1" \
    "cd $data/$set && $cli --verify SHA256SUMS -j2" \
    "cd $data/$set && rhash --skip-ok -c SHA256SUMS" \
    "cd $data/$set && sha256sum --quiet -c SHA256SUMS" "${bare[@]}" >/dev/null
done
for list in million.sfv SHA256SUMS; do
  (cd "$data/million" && /usr/bin/time -f "%M" -o "$data/$list.kb" "$cli" --verify "$list" \
     >/dev/null 2>&1 || true)
done

python3 - "$data" <<'PY'
import json, sys
root = sys.argv[1]
def results(name):
    return json.load(open("%s/%s.json" % (root, name)))["results"]
def medians(name):
    return [r["median"] for r in results(name)]
bigRuns = json.load(open("%s/big.json" % root))
big, bigCpu = [r["wall"] for r in bigRuns], [r["cpu"] for r in bigRuns]
size = 1 << 30
rows = [("SHA-256", 0, "rhash --sha256", 1, 0.95), ("SHA-256", 0, "sha256sum", 2, 4.0),
        ("SHA-1", 3, "rhash --sha1", 4, 0.95), ("MD5", 5, "rhash --md5", 6, 0.95),
        ("SHA-512", 7, "rhash --sha512", 8, 0.95),
        ("BLAKE3", 9, "b3sum --num-threads 1", 10, 1.0), ("XXH128", 11, "xxhsum -H2", 12, 1.0),
        ("XXH64", 13, "xxhsum -H1", 14, 1.0), ("CRC-32", 15, "rhash --crc32", 16, 5.0),
        ("BLAKE3 -j", 17, "b3sum (all cores)", 18, 1.0),
        ("SHA-224", 22, "openssl dgst -sha224", 23, 1.0),
        ("SHA3-256", 24, "openssl dgst -sha3-256", 25, 1.0),
        ("SHA3-512", 26, "openssl dgst -sha3-512", 27, 1.0),
        ("BLAKE2b", 28, "b2sum", 29, 1.0), ("BLAKE2b-256", 30, "b2sum -l 256", 31, 1.0)]
print()
print("1 x 1 GiB, one job   sumbrook-cli   peer                        "
      "ratio (target)  ratio of processor time")
for kind, ours, peer, theirs, target in rows:
    print("%-11s %10.2f GB/s   %-22s %5.2f GB/s   %5.2f (%.2f)   %5.2f" % (
        kind, size / big[ours] / 1e9, peer, size / big[theirs] / 1e9, big[theirs] / big[ours],
        target, bigCpu[theirs] / bigCpu[ours]))
print("(ratios above 1: sumbrook-cli is faster; processor time is user + system, which other")
print(" work on the machine leaves as it is)")
print()
alone, withNew, rhashNew = big[19], big[20], big[21]
print("--verify of a 1 GiB file's list: alone %.3f s, beside a 4-byte NEW file %.3f s (%.2fx),"
      % (alone, withNew, withNew / alone))
print("  rhash -c %.3f s (its time over ours beside the NEW file: %.2f)" % (rhashNew, rhashNew / withNew))
print()
print("--verify of a SHA-256 list   -j1        -j2     -j1/-j2 (1.60)   rhash -c (1.50)  sha256sum -c")
for name, title in (("medium", "64 x 16 MiB"), ("small", "10,000 x 4 KiB"),
                    ("tree", "100 x 100 x 4 KiB")):
    times = medians(name)
    one, two, rhash, coreutils = times[:4]
    print("%-22s %8.3f s %8.3f s %9.2f %15.2f %14.2f" % (
        title, one, two, one / two, rhash / two, coreutils / two))
    if len(times) == 6:
        print("%-22s %8.3f s %8.3f s %9.2f   (the bare loop: open, read, hash, close)" % (
            "  bare loop", times[4], times[5], times[4] / times[5]))
print("(rhash -c and sha256sum -c columns: their time over sumbrook-cli -j2)")
def peak(name):
    return int(open("%s/%s.kb" % (root, name)).read().split()[-1]) / 1024
sfv, sha = peak("million.sfv"), peak("SHA256SUMS")
print()
print("1,000,000 lines, all missing: peak memory SFV %.1f MB, SHA-256 %.1f MB," % (sfv, sha))
print("  %.1f bytes a line more (target: at most 64)" % ((sha - sfv) * 1024 * 1024 / 1e6))
PY
