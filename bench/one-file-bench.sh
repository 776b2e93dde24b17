#!/usr/bin/env bash
# The window of one file's six digests (CRC-32, MD5, SHA-1, SHA-256, SHA-512,
# BLAKE3) of one cached 1 GiB file from one read, against six runs of
# `sumbrook-cli -a ALGO`, one per algorithm, in the same run. Medians of
# hyperfine runs; a ratio above 1 means one read is faster. Nothing is
# asserted. On a cached file the hashing is nearly all the cost: one read
# gains by sharing the hashers out among the cores (hash/DigestSet), and
# from the disk it also saves five reads of the file. Then the one read
# against each digest alone (runs alternated): its target is the slowest
# of them plus a tenth, which two cores reach only where the six's processor
# time, shared by two, is no more than that (printed last).
# Usage: bench/one-file-bench.sh path/to/one_file_digests_bench path/to/sumbrook-cli
# Needs hyperfine; the file lives under /tmp and is removed at the end.
set -euo pipefail
once=$(realpath "$1")
cli=$(realpath "$2")
[ -x "$once" ] && [ -x "$cli" ] || { echo "one-file-bench: build them first (make native)"; exit 1; }
runs=${BENCH_RUNS:-5}
command -v hyperfine >/dev/null || { echo "one-file-bench: hyperfine is needed (make setup)"; exit 1; }
data=$(mktemp -d /tmp/sumbrook-one-file-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT
head -c $((1 << 30)) /dev/urandom >"$data/one.bin"
cat "$data/one.bin" >/dev/null  # cached
# The same digests both ways, first.
six() { for a in crc32 md5 sha1 sha256 sha512 blake3; do "$cli" -a "$a" "$data/one.bin"; done; }
diff <("$once" "$data/one.bin" | cut -d' ' -f1) <(six | cut -d' ' -f1) >/dev/null ||
  { echo "one-file-bench: the digests differ"; exit 1; }
grep -m1 'model name' /proc/cpuinfo
grep -m1 'cpu family' /proc/cpuinfo
grep -m1 '^model[[:space:]]' /proc/cpuinfo
grep -qw avx512f /proc/cpuinfo && echo "AVX-512: yes" || echo "AVX-512: no"
echo "$(nproc) processors"
hyperfine --runs "$runs" --export-json "$data/times.json" \
  -n "one read" "'$once' '$data/one.bin'" \
  -n "six sumbrook-cli -a" "for a in crc32 md5 sha1 sha256 sha512 blake3; do '$cli' -a \$a '$data/one.bin'; done" \
  >/dev/null
# The one read and each digest alone, runs alternated: the one read's
# target is the slowest of them plus a tenth.
alone=("'$once' '$data/one.bin'")
for a in crc32 md5 sha1 sha256 sha512 blake3; do alone+=("'$cli' -a $a '$data/one.bin'"); done
python3 "$(dirname "$0")/alternate-runs.py" "$runs" "$data/alone.json" "${alone[@]}"
python3 - "$data/times.json" "$data/alone.json" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
one, six = r["one read"], r["six sumbrook-cli -a"]
print("1 GiB, six digests: one read %.2f s, six runs %.2f s: ratio %.2f" % (one, six, six / one))
alone = json.load(open(sys.argv[2]))
once, kinds = alone[0], alone[1:]
name = lambda k: k["command"].split()[2]
slowest = max(kinds, key=lambda k: k["wall"])
print("alternated, medians: one read %.2f s (processor time %.2f s); each digest alone:" %
      (once["wall"], once["cpu"]))
for k in kinds:
    print("  %-8s %.2f s (processor time %.2f s)" % (name(k), k["wall"], k["cpu"]))
print("one read over the slowest alone (%s): %.2f (target: at most 1.10)" %
      (name(slowest), once["wall"] / slowest["wall"]))
print("the six alone's processor time shared by two cores, over the slowest: %.2f" %
      (sum(k["cpu"] for k in kinds) / 2 / slowest["wall"]))
PY
