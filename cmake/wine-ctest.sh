#!/usr/bin/env bash
# Runs CTest in the Windows build (make test-win) with one Wine server for
# the whole run, ended after it: a server that ends on its own between two
# tests (3 s after its last program) can refuse the program that connects
# just then ("wine client error ... Connection reset by peer").
# Usage: wine-ctest.sh BUILD [CTEST ARGUMENTS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
"$(dirname "$0")/wine-prefix.sh" || exit 1
build=$1
shift
wineserver -p 2>/dev/null || true
(cd "$build" && ctest "$@")
code=$?
wineserver -k 2>/dev/null || true
exit "$code"
