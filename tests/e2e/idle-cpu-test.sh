#!/usr/bin/env bash
# An idle dialog costs no processor time: the program's message loop waits
# for messages instead of looking for them again and again. Starts the
# program in the headless prefix and passes when, within the time limit, it
# spends less than a tenth of a second of processor time in two seconds.
# Usage: idle-cpu-test.sh Sumbrook.exe
set -euo pipefail
exe=$(realpath "$1")
source "$(dirname "$0")/../../cmake/wine-env.sh"
"$(dirname "$0")/../../cmake/wine-prefix.sh"
unset DISPLAY WAYLAND_DISPLAY

wine "$exe" &
pid=$!   # wine becomes the Windows process itself, keeping this process id
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

ticks=$(getconf CLK_TCK)
busy_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

sleep 3  # start-up

for _ in $(seq 1 15); do
  [ -r "/proc/$pid/stat" ] || { echo "FAIL: the program ended on its own"; exit 1; }
  before=$(busy_ticks)
  sleep 2
  [ -r "/proc/$pid/stat" ] || { echo "FAIL: the program ended on its own"; exit 1; }
  used_ms=$(( ($(busy_ticks) - before) * 1000 / ticks ))
  echo "processor time in 2 s: $used_ms ms"
  if [ "$used_ms" -lt 100 ]; then
    echo "idle"
    exit 0
  fi
done
echo "FAIL: the program never became idle"
exit 1
