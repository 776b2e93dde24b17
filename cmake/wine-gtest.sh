#!/usr/bin/env bash
# Runs a GoogleTest program of the Windows build under Wine in the headless
# test prefix, its standard output with Unix line ends (the program writes
# CR LF), so that CTest reads the test names it lists; the program's exit
# code is this script's. CTest's emulator for the test programs.
set -uo pipefail
"$(dirname "$0")/wine-run.sh" "$@" | tr -d '\r'
