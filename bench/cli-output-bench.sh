#!/usr/bin/env bash
# sumbrook-cli.exe --verify under Wine, its report (20,000 lines) sent to a
# character device that is no console (/dev/null, which Windows programs see
# as NUL is seen), to a file and through a pipe: medians of hyperfine runs and
# the ratios to the file (target: at most 1.2 each; a line-by-line question
# to the system made the device 10 times slower).
# Usage: bench/cli-output-bench.sh BUILD   (make bench-cli-output; BUILD the Windows build)
# Needs hyperfine and python3; the data lives under /tmp and is removed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
runs=${BENCH_RUNS:-5}
cli="$build/cli/sumbrook-cli.exe"
[ -f "$cli" ] || { echo "cli-output-bench: $cli is missing (make win)"; exit 1; }
command -v hyperfine >/dev/null || { echo "cli-output-bench: hyperfine is needed"; exit 1; }

source "$root/cmake/wine-env.sh"
"$root/cmake/wine-prefix.sh"
unset DISPLAY WAYLAND_DISPLAY

data=$(mktemp -d /tmp/sumbrook-output-bench.XXXXXX)
trap 'rm -rf "$data"' EXIT
python3 - "$data" <<'PY'
import os, sys, zlib
root = sys.argv[1]
block = os.urandom(4096)
lines = []
for i in range(20000):
    folder = os.path.join(root, "d%03d" % (i // 200))
    os.makedirs(folder, exist_ok=True)
    content = block[i % 4096:] + block[:i % 4096]
    name = "d%03d/f%05d" % (i // 200, i)
    with open(os.path.join(root, name), "wb") as f:
        f.write(content)
    lines.append("%s %08X\n" % (name, zlib.crc32(content)))
with open(os.path.join(root, "list.sfv"), "w") as f:
    f.writelines(lines)
PY
cat "$data"/d*/* >/dev/null  # into the cache
wineserver -p 2>/dev/null || true  # one server for every run
list=$(winepath -w "$data/list.sfv")

declare -A median
for where in null pipe "$data/report.txt"; do
  hyperfine --runs "$runs" --warmup 1 --export-json "$data/run.json" --output "$where" \
    "wine '$cli' --verify '$list'" >/dev/null
  median[$where]=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['median'])" "$data/run.json")
done
wineserver -k 2>/dev/null || true

file=${median[$data/report.txt]}
printf '%-28s %8.3f s\n' "to a file" "$file"
for where in null pipe; do
  name=$([ "$where" == null ] && echo "to /dev/null (a device)" || echo "through a pipe")
  printf '%-28s %8.3f s   %.2f x the file\n' "$name" "${median[$where]}" \
    "$(python3 -c "print(${median[$where]} / $file)")"
done
