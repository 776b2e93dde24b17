#!/usr/bin/env bash
# sumbrook-cli against other CRC-32 tools on the same cached data, in one run:
# one file of 1 GiB, 10,000 files of 4 KiB, 64 files of 16 MiB. Medians of
# hyperfine runs, and ratios: against `cat` into /dev/null (the read limit)
# and against the best other checksum tool. Then, on the 10,000 and the 64
# files: --verify of an SFV list against `rhash -c` and `cksfv -f` of the
# same list, and --compare of two copies against `diff -rq` of them. Last,
# lists of 1,000,000 lines in four layouts, --verify against `rhash -c`,
# time and peak memory: files missing in 1,000 folders that are there, and
# in 1,000 folders that are not; 1,000,000 files missing from one folder;
# 500,000 pairs of files whose names differ only in case, all there, in one
# folder (targets: at most 150 MB, at most half of rhash -c's time).
# Usage: bench/cli-bench.sh path/to/sumbrook-cli   (make bench-cli)
# Needs rhash, cksfv, 7zip, hyperfine and python3; the data lives under /tmp
# and is removed at the end.
set -euo pipefail

cli=$(realpath "$1")
runs=${BENCH_RUNS:-7}
# Debian's 7zip installs the program as 7zz.
sevenzip=$(command -v 7z || command -v 7zz || true)
for tool in rhash cksfv "$sevenzip" hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "cli-bench: rhash, cksfv, 7z (7zip), hyperfine and python3 are needed (apt-get install rhash cksfv 7zip hyperfine)"; exit 1; }
done

data=$(mktemp -d /tmp/sumbrook-cli-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT
echo "Making the data in $data ..."
mkdir "$data/big" "$data/small" "$data/medium"
# Written in 16 MiB pieces, as a copy writes a file; the page cache then
# holds it in large pieces too, which mapping it in favours.
python3 - "$data" <<'PY'
import os, sys
root = sys.argv[1]
with open(os.path.join(root, "big", "one.bin"), "wb") as f:
    for _ in range(64):
        f.write(os.urandom(16 << 20))
for i in range(10000):
    with open(os.path.join(root, "small", "f%05d" % i), "wb") as f:
        f.write(os.urandom(4096))
block = os.urandom(16 << 20)
for i in range(64):
    with open(os.path.join(root, "medium", "m%02d" % i), "wb") as f:
        f.write(block[i:] + block[:i])
PY
# An SFV list inside each set of files, and a copy of each set.
for set in small medium; do
  "$cli" --sfv "$data/$set" -o "$data/$set/list.sfv"
  cp -r "$data/$set" "$data/$set-copy"
done
cat "$data"/big/* "$data"/small*/* "$data"/medium*/* >/dev/null  # into the cache

cat >"$data/zlib-crc32.py" <<'PY'
import sys, zlib
for path in sys.argv[1:]:
    crc = 0
    with open(path, "rb", buffering=0) as f:
        while True:
            block = f.read(1 << 20)
            if not block:
                break
            crc = zlib.crc32(block, crc)
    print("%08X  %s" % (crc, path))
PY

declare -A labels=(
  [cat]="cat > /dev/null"
  [cli1]="sumbrook-cli --jobs 1"
  [cli]="sumbrook-cli (--jobs $(nproc))"
  [rhash]="rhash --crc32"
  [7z]="7z h"
  [python]="python3 zlib.crc32"
)
order=(cat cli1 cli rhash 7z python)

bench_case() {
  local name=$1 files=$2
  local -a commands=(
    "cat $files >/dev/null"
    "$cli --jobs 1 $files >/dev/null"
    "$cli $files >/dev/null"
    "rhash --crc32 $files >/dev/null"
    "$sevenzip h -scrcCRC32 $files >/dev/null"
    "python3 $data/zlib-crc32.py $files >/dev/null"
  )
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$data/$name.json" \
    "${commands[@]}" >/dev/null
}

# Verification of a list and comparison of two copies, in the set's folder.
lists_case() {
  local set=$1
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$data/$set-lists.json" \
    "cd $data/$set && $cli --verify list.sfv --jobs 1 >/dev/null" \
    "cd $data/$set && $cli --verify list.sfv >/dev/null" \
    "cd $data/$set && rhash --skip-ok -c list.sfv >/dev/null" \
    "cd $data/$set && cksfv -q -f list.sfv >/dev/null" \
    "$cli --compare $data/$set $data/$set-copy --jobs 1 >/dev/null" \
    "$cli --compare $data/$set $data/$set-copy >/dev/null" \
    "diff -rq $data/$set $data/$set-copy >/dev/null" >/dev/null
}

# The 1,000,000-line lists: time (median) and peak memory of each, beside
# rhash -c of the same list.
million_layouts=(present absent one pairs)
million_case() {
  mkdir -p "$data/million/present" "$data/million/absent" "$data/million/one" "$data/million/pairs"
  (cd "$data/million/present" && mkdir $(seq -f 'dir%03g' 0 999))
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "dir%03d/file%07d.bin %08X\n", i % 1000, i, i }' \
    >"$data/million/present/million.sfv"
  cp "$data/million/present/million.sfv" "$data/million/absent/million.sfv"
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "file%07d.bin %08X\n", i, i }' \
    >"$data/million/one/million.sfv"
  python3 - "$data/million/pairs" <<'PAIRS'
import os, sys, zlib
folder, lines = sys.argv[1], []
for i in range(500000):
    for name in ("pair%06d.bin" % i, "PAIR%06d.bin" % i):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(name.encode())
        lines.append("%s %08X\n" % (name, zlib.crc32(name.encode())))
with open(os.path.join(folder, "million.sfv"), "w") as f:
    f.writelines(lines)
PAIRS
  for layout in "${million_layouts[@]}"; do
    local dir="$data/million/$layout"
    hyperfine --style none --warmup 1 --runs 3 -i --export-json "$data/million-$layout.json" \
      "cd $dir && $cli --verify million.sfv >/dev/null 2>&1" \
      "cd $dir && rhash -c million.sfv >/dev/null 2>&1" >/dev/null
    (cd "$dir" && /usr/bin/time -f "%M" -o "$data/million-$layout-cli.kb" "$cli" --verify million.sfv >/dev/null 2>&1 || true)
    (cd "$dir" && /usr/bin/time -f "%M" -o "$data/million-$layout-rhash.kb" rhash -c million.sfv >/dev/null 2>&1 || true)
  done
}

echo "Timing (median of $runs runs each) ..."
cd "$data"
bench_case big "big/one.bin"
bench_case small "small/*"
bench_case medium "medium/*"
lists_case small
lists_case medium
million_case

python3 - "$data" "${order[@]}" <<PY
import json, sys
root, order = sys.argv[1], sys.argv[2:]
labels = {
$(for k in "${order[@]}"; do printf '    "%s": "%s",\n' "$k" "${labels[$k]}"; done)
}
cases = [("big", "1 x 1 GiB", 1 << 30, 1), ("small", "10,000 x 4 KiB", 10000 * 4096, 10000),
         ("medium", "64 x 16 MiB", 64 << 24, 64)]
peers = ["rhash", "7z", "python"]
print()
print("%-26s" % "tool" + "".join("%24s" % title for _, title, _, _ in cases))
medians = {}
for case, _, _, _ in cases:
    results = json.load(open("%s/%s.json" % (root, case)))["results"]
    medians[case] = {key: r["median"] for key, r in zip(order, results)}
for key in order:
    row = "%-26s" % labels[key]
    for case, _, size, files in cases:
        m = medians[case][key]
        rate = "%.0f files/s" % (files / m) if case == "small" else "%.2f GB/s" % (size / m / 1e9)
        row += "%24s" % ("%.3f s %s" % (m, rate))
    print(row)
print()
for case, title, _, _ in cases:
    m = medians[case]
    best = min(peers, key=lambda p: m[p])
    print("%-15s cat/cli-1-job %.2f  cat/cli %.2f  %s/cli-1-job %.2f  %s/cli %.2f" % (
        title, m["cat"] / m["cli1"], m["cat"] / m["cli"], best, m[best] / m["cli1"], best,
        m[best] / m["cli"]))
print("(ratios above 1: sumbrook-cli is faster)")
PY

python3 - "$data" "$(nproc)" <<'PY'
import json, sys
root, cores = sys.argv[1], sys.argv[2]
keys = ["verify1", "verify", "rhash", "cksfv", "compare1", "compare", "diff"]
labels = {"verify1": "sumbrook-cli --verify -j1", "verify": "sumbrook-cli --verify (-j%s)" % cores,
          "rhash": "rhash -c", "cksfv": "cksfv -f",
          "compare1": "sumbrook-cli --compare -j1", "compare": "sumbrook-cli --compare (-j%s)" % cores,
          "diff": "diff -rq"}
cases = [("small", "10,000 x 4 KiB"), ("medium", "64 x 16 MiB")]
medians = {}
for case, _ in cases:
    results = json.load(open("%s/%s-lists.json" % (root, case)))["results"]
    medians[case] = {key: r["median"] for key, r in zip(keys, results)}
print()
print("%-30s" % "lists and copies" + "".join("%18s" % title for _, title in cases))
for key in keys:
    print("%-30s" % labels[key] + "".join("%16.3f s" % medians[case][key] for case, _ in cases))
print()
for case, title in cases:
    m = medians[case]
    peer = min(["rhash", "cksfv"], key=lambda p: m[p])
    print("%-15s %s/verify-1-job %.2f  %s/verify %.2f  diff/compare-1-job %.2f  diff/compare %.2f" % (
        title, peer, m[peer] / m["verify1"], peer, m[peer] / m["verify"],
        m["diff"] / m["compare1"], m["diff"] / m["compare"]))
print("(ratios above 1: sumbrook-cli is faster; targets with default jobs: verify 1.5 on")
print(" 10,000 x 4 KiB and 3 on 64 x 16 MiB against the faster peer, compare 1 against diff -rq)")
PY

python3 - "$data" "${million_layouts[@]}" <<'PY'
import json, sys
root, layouts = sys.argv[1], sys.argv[2:]
titles = {"present": "1,000 folders there, files missing", "absent": "1,000 folders not there",
          "one": "one folder, files missing", "pairs": "500,000 case pairs, all there"}
def peak(layout, tool):
    return int(open("%s/million-%s-%s.kb" % (root, layout, tool)).read().split()[-1]) / 1024
print()
print("1,000,000 lines (median of 3)       cli time   cli peak   rhash -c time  rhash peak  rhash/cli")
for layout in layouts:
    cli, rhash = (r["median"] for r in json.load(open("%s/million-%s.json" % (root, layout)))["results"])
    print("%-34s %8.2f s %7.1f MB %12.2f s %8.1f MB %9.2f" % (
        titles[layout], cli, peak(layout, "cli"), rhash, peak(layout, "rhash"), rhash / cli))
print("(targets: rhash/cli at least 2, cli peak memory at most 150 MB)")
PY
