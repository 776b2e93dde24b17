#!/usr/bin/env bash
# Runs one Windows program in the headless test prefix; CTest's emulator.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
"$(dirname "$0")/wine-prefix.sh"
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
