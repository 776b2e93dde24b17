#!/usr/bin/env bash
# Runs a GoogleTest program of the Windows build under Wine in the headless
# test prefix (CTest's emulator for the test programs); the program's exit
# code is this script's. Its output goes to files first, then out with Unix
# line ends (the program writes CR LF), so that CTest reads the test names it
# lists; the Wine processes that the program starts and that outlive it
# (the server's helpers) hold those files, not CTest's pipe, which would keep
# the test running until they end.
set -uo pipefail
out=$(mktemp "${TMPDIR:-/tmp}/sbgtest.XXXXXX")
trap 'rm -f "$out" "$out.err"' EXIT
run() { "$(dirname "$0")/wine-run.sh" "$@" >"$out" 2>"$out.err" </dev/null; }
run "$@"
code=$?
# The listing of the tests at build time is asked once more if it fails
# (Wine's server may be ending just as the program starts).
if [ "$code" -ne 0 ] && [[ " $* " == *" --gtest_list_tests "* ]]; then
  run "$@"
  code=$?
fi
tr -d '\r' <"$out"
tr -d '\r' <"$out.err" >&2
exit "$code"
