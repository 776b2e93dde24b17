#!/usr/bin/env bash
# SumbrookVerify.exe against sumbrook-cli.exe under Wine, on the same cached
# data: `SumbrookVerify.exe LIST /report R /close` (window start included)
# against `sumbrook-cli.exe --verify LIST`, for one file of 4 KiB (what
# starting and ending costs each), 10,000 files of 4 KiB and 64 files of 16
# MiB. Medians of hyperfine runs and their ratio (target: at most 1.1), the
# same with each program's start and end taken off, then the longest wait
# for the window to answer WM_NULL during a run of each. The report must equal the command line's output. Then the window
# alone at scale, each with its longest wait for WM_NULL: "New list..." of a
# tree of 100,000 files, a list of 1,000,000 lines, and a list of 5,000,000
# lines checked to the end (its time, and its report's last line); and the
# window of one file: a 1 GiB file's six digests against six runs of
# `sumbrook-cli.exe -a`, with its longest wait. (Sorting,
# selecting and copying a million rows are measured by the window's tests,
# which print their longest wait.)
# Usage: bench/verify-bench.sh BUILD   (make bench-verify; BUILD the Windows build)
# Needs hyperfine and python3; the data lives under /tmp and is removed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
runs=${BENCH_RUNS:-5}
verifier="$build/SumbrookVerify.exe"
cli="$build/cli/sumbrook-cli.exe"
probe="$build/bench/verify_answer_probe.exe"
for program in "$verifier" "$cli" "$probe"; do
  [ -f "$program" ] || { echo "verify-bench: $program is missing (make win)"; exit 1; }
done
command -v hyperfine >/dev/null || { echo "verify-bench: hyperfine is needed (apt-get install hyperfine)"; exit 1; }

source "$root/cmake/wine-env.sh"
"$root/cmake/wine-prefix.sh"
unset DISPLAY WAYLAND_DISPLAY

data=$(mktemp -d /tmp/sumbrook-verify-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT
echo "Making the data in $data ..."
python3 - "$data" <<'PY'
import os, sys, zlib
root = sys.argv[1]
def make(folder, count, size, name):
    os.mkdir(os.path.join(root, folder))
    lines = []
    block = os.urandom(size)
    for i in range(count):
        content = block[i:] + block[:i]
        file_name = name % i
        with open(os.path.join(root, folder, file_name), "wb") as f:
            f.write(content)
        lines.append("%s %08X\r\n" % (file_name, zlib.crc32(content)))
    with open(os.path.join(root, folder, "list.sfv"), "w", newline="") as f:
        f.writelines(lines)
make("one", 1, 4096, "f%05d")
make("small", 10000, 4096, "f%05d")
make("medium", 64, 16 << 20, "m%02d")
# A tree of 100,000 small files in 1,000 folders.
tree = os.path.join(root, "tree")
for folder in range(1000):
    os.makedirs(os.path.join(tree, "d%03d" % folder))
    for i in range(100):
        with open(os.path.join(tree, "d%03d" % folder, "f%02d" % i), "wb") as f:
            f.write(b"%d" % i)
# Lists of 1,000,000 and 5,000,000 lines of files that are not there.
for name, count in (("million", 1000000), ("five-million", 5000000)):
    os.mkdir(os.path.join(root, name))
    with open(os.path.join(root, name, "list.sfv"), "w", newline="") as f:
        for i in range(count):
            f.write("d%04d/f%07d.bin %08X\r\n" % (i // 1000, i, i))
PY
cat "$data"/small/* "$data"/medium/* >/dev/null  # into the cache
wineserver -p 2>/dev/null || true  # one server for every run
# Windows always has its desktop; headless Wine starts one (explorer.exe)
# for the first window of a session and ends it with the last. A window
# kept open meanwhile (the program without a list) keeps the desktop there,
# so that each run pays what it would on Windows.
wine "$verifier" >/dev/null 2>&1 &
desktop_keeper=$!
trap 'wine taskkill /im SumbrookVerify.exe >/dev/null 2>&1; wait "$desktop_keeper" 2>/dev/null; rm -rf "$data"' EXIT
sleep 2

windows() { winepath -w "$1"; }
for set in one small medium; do
  list=$(windows "$data/$set/list.sfv")
  report=$(windows "$data/$set-report.txt")
  echo
  echo "== $set =="
  hyperfine --runs "$runs" --warmup 1 --export-json "$data/$set.json" \
    -n cli "wine '$cli' --verify '$list' >'$data/$set-cli.txt'" \
    -n window "wine '$verifier' '$list' /report '$report' /close"
  cmp -s "$data/$set-cli.txt" "$data/$set-report.txt" ||
    echo "verify-bench: the report differs from the command line's output!"
  python3 - "$data/$set.json" "$data/one.json" <<'PY'
import json, sys
def medians(path):
    results = {r["command"]: r for r in json.load(open(path))["results"]}
    return results["cli"]["median"], results["window"]["median"]
cli, window = medians(sys.argv[1])
print("median: cli %.3f s, window %.3f s, ratio %.2fx" % (cli, window, window / cli))
if sys.argv[1] != sys.argv[2]:
    # Each program's start and end, as the list of one file takes them,
    # taken off: what is left is the check itself.
    cli_start, window_start = medians(sys.argv[2])
    print("without start and end: cli %.3f s, window %.3f s, ratio %.2fx"
          % (cli - cli_start, window - window_start, (window - window_start) / (cli - cli_start)))
PY
  [ "$set" = one ] || wine "$probe" "$verifier" "$list" /close || true
done

echo
echo "== one file of 1 GiB: the window's six digests against six runs of sumbrook-cli.exe -a =="
head -c $((1 << 30)) /dev/urandom >"$data/one.bin"
one=$(windows "$data/one.bin")
hyperfine --runs "$runs" --warmup 1 --export-json "$data/one.json" \
  -n window "wine '$verifier' /file '$one' /close" \
  -n six "for a in crc32 md5 sha1 sha256 sha512 blake3; do wine '$cli' -a \$a '$one' >/dev/null; done"
python3 - "$data/one.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
window, six = results["window"]["median"], results["six"]["median"]
print("median: window %.2f s, six runs %.2f s: %.2f of their time (target 0.6)" % (window, six, window / six))
PY
wine "$probe" "$verifier" /file "$one" /close || true
rm -f "$data/one.bin"

echo
echo "== a new list of a tree of 100,000 files =="
wine "$probe" "$verifier" /new "$(windows "$data/tree")" /r /save "$(windows "$data/tree.sfv")" /close || true
for set in million five-million; do
  echo
  echo "== $set lines, their files not there =="
  start=$(date +%s.%N)
  code=0
  wine "$probe" "$verifier" "$(windows "$data/$set/list.sfv")" /report "$(windows "$data/$set-report.txt")" /close || code=$?
  python3 -c "import sys; print('to the end in %.1f s, exit code %s' % (float(sys.argv[2]) - float(sys.argv[1]), sys.argv[3]))" \
    "$start" "$(date +%s.%N)" "$code"
  tail -n 1 "$data/$set-report.txt"
done
