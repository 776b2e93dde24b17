#!/usr/bin/env bash
# sumbrook-cli end to end on real directories: every command, every exit code.
# Usage: cli-e2e.sh path/to/sumbrook-cli
set -uo pipefail

cli=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/sbcli-e2e.XXXXXX")
chmod 755 "$work"
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
cd "$work"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run EXPECTED_CODE ARGS...: runs the program, output in $out and $err.
run() {
  local expected=$1; shift
  "$cli" "$@" >"$work/out" 2>"$work/err"
  code=$?
  out=$(cat "$work/out"); err=$(cat "$work/err")
  [ "$code" -eq "$expected" ] || fail "sumbrook-cli $* exited $code, expected $expected (stderr: $err)"
}
expect_out() { [ "$out" == "$1" ] || fail "$2: stdout was"$'\n'"$out"$'\n'"expected"$'\n'"$1"; }
expect_err_has() { [[ "$err" == *"$1"* ]] || fail "$2: stderr lacks '$1': $err"; }
expect_no_err() { [ -z "$err" ] || fail "$1: unexpected stderr: $err"; }

# Runs as an unprivileged user when started as root, so that a file without
# read permission is unreadable to the program.
run_unprivileged() {
  local expected=$1; shift
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$cli" "$@" >"$work/out" 2>"$work/err"
  else
    "$cli" "$@" >"$work/out" 2>"$work/err"
  fi
  code=$?
  out=$(cat "$work/out"); err=$(cat "$work/err")
  [ "$code" -eq "$expected" ] || fail "sumbrook-cli $* (unprivileged) exited $code, expected $expected ($err)"
}

# The directory of the worked example, plus what no protocol shows.
mkdir samples
printf abc >samples/abc.txt
: >samples/empty.log
printf 123456789 >samples/crc_check_value_of_the_nine_digits.txt
mkdir samples/archive
printf hidden >samples/.hidden

# --- version, help, arguments -------------------------------------------
# The project's version, and the commit the program was built from when known.
run 0 --version
[[ "$out" =~ ^sumbrook-cli\ ${SUMBROOK_VERSION:?}(\ \(commit\ [0-9a-f]{12}(-dirty)?\))?$ ]] ||
  fail "--version: $out"
run 0 --help
[[ "$out" == *"symbolic links to regular files count, links to directories do not"* ]] ||
  fail "--help does not state the plain-file rule"
[[ "$out" == *"Exit codes"* ]] || fail "--help does not list the exit codes"
run 2; expect_err_has "give files to checksum" "no arguments"
run 2 --jobs 0 samples/abc.txt; expect_out "" "--jobs 0"
run 2 --jobs x samples/abc.txt
run 2 --no-such-option
run 2 -o p.txt samples/abc.txt; expect_err_has "--protocol" "-o without --protocol"
run 2 --protocol samples extra
run 2 --protocol ""
run 2 --verify p.txt one two
run 2 --protocol samples --verify p.txt

# --- FILE... --------------------------------------------------------------
run 0 samples/abc.txt samples/crc_check_value_of_the_nine_digits.txt samples/empty.log
expect_out "352441C2  samples/abc.txt
CBF43926  samples/crc_check_value_of_the_nine_digits.txt
00000000  samples/empty.log" "checksums"
expect_no_err "checksums"
run 2 samples/abc.txt samples/missing.txt samples/archive samples/crc_check_value_of_the_nine_digits.txt
expect_out "352441C2  samples/abc.txt
CBF43926  samples/crc_check_value_of_the_nine_digits.txt" "unreadable files get no checksum"
expect_err_has "sumbrook-cli: samples/missing.txt: cannot open: No such file or directory" "missing file"
expect_err_has "sumbrook-cli: samples/archive: not a regular file" "directory as file"
run 0 -- samples/abc.txt; expect_out "352441C2  samples/abc.txt" "-- before paths"

mkdir many
for i in $(seq 1 200); do head -c $((i * 37)) /dev/urandom >"many/f$i"; done
run 0 --jobs 1 many/*; one_job=$out
run 0 --jobs 7 many/*; [ "$out" == "$one_job" ] || fail "--jobs 7 changes the output of FILE..."
[ "$(printf '%s\n' "$one_job" | wc -l)" -eq 200 ] || fail "FILE... lines"

# --- --protocol -----------------------------------------------------------
header_re='^CRC32-codes of following files calculated [0-9]{2}\.[0-9]{2}\.[0-9]{4}, [0-9]{2}:[0-9]{2}:[0-9]{2}'$'\r''$'
dir="$work/samples"
sep=$(printf -- '-%.0s' $(seq 1 $(( ${#dir} + 10 > 62 ? ${#dir} + 10 : 62 ))))
expected_body=$(printf 'Directory %s\r\nFile name                         CRC32-code\r\n%s\r\nabc.txt                           352441C2\r\ncrc_check_value_of_the_nine_digitsCBF43926\r\n%s\r\n2 files calculated by program Sumbrook.exe\r\n\r\n' "$dir" "$sep" "$sep")

"$cli" --protocol "$dir" >stdout.txt 2>"$work/err"; code=$?
[ "$code" -eq 0 ] || fail "--protocol exited $code"
[ -s "$work/err" ] && fail "--protocol wrote to stderr: $(cat "$work/err")"
head -n 1 stdout.txt | grep -Eq "$header_re" || fail "--protocol header: $(head -n 1 stdout.txt)"
[ "$(tail -n +2 stdout.txt)" == "$expected_body" ] || fail "--protocol body:"$'\n'"$(tail -n +2 stdout.txt | od -c | head -20)"
[ "$(tail -c 4 stdout.txt | od -An -c | tr -d ' ')" == '\r\n\r\n' ] || fail "--protocol does not end with the empty line"

# SOURCE_DATE_EPOCH fixes the header's time, in UTC; a bad value is named.
SOURCE_DATE_EPOCH=1700000000 TZ=Pacific/Kiritimati run 0 --protocol "$dir"; expect_no_err "SOURCE_DATE_EPOCH"
[[ "$out" == $'CRC32-codes of following files calculated 14.11.2023, 22:13:20\r\n'* ]] ||
  fail "SOURCE_DATE_EPOCH header: $(head -n 1 <<<"$out")"
SOURCE_DATE_EPOCH=yesterday run 0 --protocol "$dir"; expect_err_has "SOURCE_DATE_EPOCH" "bad SOURCE_DATE_EPOCH"
[[ "$(head -n 1 <<<"$out")" =~ $header_re ]] || fail "bad SOURCE_DATE_EPOCH header: $(head -n 1 <<<"$out")"

run 0 --protocol "$dir" -o samples.txt --jobs 3; expect_out "" "-o keeps stdout empty"
[ "$(tail -n +2 samples.txt)" == "$expected_body" ] || fail "-o FILE differs from stdout"
[ "$(wc -c <samples.txt)" -eq "$(wc -c <stdout.txt)" ] || fail "-o FILE size"

# A directory whose files are all empty: no file lines, count 0.
mkdir empties; : >empties/a; : >empties/b
run 0 --protocol empties
[[ "$out" == *$'--\r\n--'* && "$out" == *$'\r\n0 files calculated by program Sumbrook.exe\r\n\r' ]] ||
  fail "protocol without file lines: $out"
# An empty directory: the same protocol, nothing listed.
mkdir nothing
run 0 --protocol nothing; [[ "$out" == *$'\r\n0 files calculated'* ]] || fail "empty directory"

run 2 --protocol "$work/no-such-dir"; expect_err_has "No such file or directory" "missing DIR"
run 2 --protocol samples/abc.txt; expect_err_has "Not a directory" "file as DIR"
run 2 --protocol samples -o "$work/no-such-dir/p.txt"; expect_err_has "no-such-dir/p.txt" "unwritable -o"

# Symbolic links: to a regular file yes, to a directory no.
mkdir links; printf abc >links/real.txt; ln -s real.txt links/to-file; ln -s "$dir/archive" links/to-dir
ln -s nowhere links/dangling
run 0 --protocol links
[[ "$out" == *$'real.txt                          352441C2\r'* && "$out" == *$'to-file                           352441C2\r'* ]] ||
  fail "links to files are listed: $out"
[[ "$out" == *"to-dir"* || "$out" == *"dangling"* ]] && fail "links to directories or nowhere are listed"

# A name with a line break would break the protocol's lines: named, counted,
# left out; verification shows it as new, the break written as \x0A.
mkdir breaks; printf abc >breaks/plain.txt; printf x >"breaks/two"$'\n'"lines"
run 2 --protocol breaks -o breaks.txt
expect_err_has "a name with a line break cannot be listed" "line break in a name"
expect_err_has "1 file could not be read; it is not in the protocol" "line break counted"
run 1 --verify breaks.txt
expect_out "OK          plain.txt
NEW         two\x0Alines  8CDC1683
1 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "line break in verify"

# Unreadable files are named, counted, left out; the protocol keeps its form.
mkdir locked; printf abc >locked/a.txt; printf secret >locked/b.txt; chmod 000 locked/b.txt
chmod 755 locked
run_unprivileged 2 --protocol locked
expect_err_has "locked/b.txt: cannot open: Permission denied" "unreadable file named"
expect_err_has "1 file could not be read; it is not in the protocol" "unreadable file counted"
[[ "$out" == *$'a.txt                             352441C2\r\n'* && "$out" == *$'\r\n1 files calculated'* ]] ||
  fail "protocol with an unreadable file: $out"

# --- --verify -------------------------------------------------------------
run 0 --verify samples.txt
expect_out "OK          abc.txt
OK          crc_check_value_of_the_nine_digits.txt
EMPTY       empty.log
2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "verify unchanged"
expect_no_err "verify unchanged"

cp -r samples copy
run 0 --verify samples.txt copy --jobs 1; expect_out "OK          abc.txt
OK          crc_check_value_of_the_nine_digits.txt
EMPTY       empty.log
2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "verify another DIR"
printf abd >copy/abc.txt
rm copy/crc_check_value_of_the_nine_digits.txt
printf new >copy/added.txt
run 1 --verify samples.txt copy
expect_out "CHANGED     abc.txt  352441C2 -> $("$cli" copy/abc.txt | cut -c1-8)
MISSING     crc_check_value_of_the_nine_digits
NEW         added.txt  $("$cli" copy/added.txt | cut -c1-8)
EMPTY       empty.log
0 OK, 1 CHANGED, 1 MISSING, 1 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "verify differences"

# Cut names: a renamed tail still matches, two candidates are ambiguous.
mkdir long
printf 123456789 >long/crc_check_value_of_the_nine_digits.txt
run 0 --protocol long -o long.txt
mv long/crc_check_value_of_the_nine_digits.txt long/crc_check_value_of_the_nine_digits.bak
run 0 --verify long.txt long; expect_out "OK          crc_check_value_of_the_nine_digits.bak
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "cut name matches by prefix"
printf x >long/crc_check_value_of_the_nine_digits.txt
run 1 --verify long.txt long
expect_out "AMBIGUOUS   crc_check_value_of_the_nine_digits  fits 2 files: crc_check_value_of_the_nine_digits.bak, crc_check_value_of_the_nine_digits.txt
0 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 1 AMBIGUOUS" "ambiguous cut name"

# An emptied file is changed; a new empty file is EMPTY, not NEW.
cp -r samples emptied; : >emptied/abc.txt; : >emptied/zero.dat
run 1 --verify samples.txt emptied
[[ "$out" == *"CHANGED     abc.txt  352441C2 -> 00000000"* && "$out" == *"EMPTY       zero.dat"* ]] ||
  fail "emptied and empty files: $out"

# Unreadable files are reported, and win the exit code.
chmod 644 locked/b.txt; run 0 --protocol locked -o locked.txt; chmod 000 locked/b.txt
run_unprivileged 2 --verify locked.txt
[[ "$out" == *"UNREADABLE  b.txt  cannot open: Permission denied"* && "$out" == *"1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 1 UNREADABLE, 0 AMBIGUOUS" ]] ||
  fail "unreadable in verify: $out"

# A protocol kept inside its directory neither lists nor checks itself.
mkdir self; printf abc >self/a.txt
run 0 --protocol self -o self/list.txt
run 0 --protocol self -o self/list.txt  # again: the old protocol is there now
[[ "$(cat self/list.txt)" == *$'\r\n1 files calculated'* ]] || fail "protocol lists itself: $(cat self/list.txt)"
run 0 --verify self/list.txt
expect_out "OK          a.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" "protocol inside the directory"
cp self/list.txt self/copy.txt
run 1 --verify self/copy.txt; [[ "$out" == *"NEW         list.txt"* ]] || fail "other protocol files are plain files"

# Bad protocols: one error naming the line, nothing else.
run 2 --verify "$work/no-such-protocol.txt"; expect_out "" "missing protocol"
expect_err_has "no-such-protocol.txt: No such file or directory" "missing protocol"
head -c 200 samples.txt >truncated.txt
run 2 --verify truncated.txt; expect_out "" "truncated protocol"; expect_err_has "truncated.txt: line " "truncated"
sed 's/^abc.txt                           /abc.txt                          /' samples.txt >narrow.txt
run 2 --verify narrow.txt; expect_err_has "narrow.txt: line 5: a file line has 42 characters" "wrong width"
tr -d '\r' <samples.txt >lf.txt
run 2 --verify lf.txt; expect_err_has "lf.txt: line 1: the line does not end with CR LF" "LF only"
head -c 5000 /dev/urandom >junk.bin
run 2 --verify junk.bin; expect_out "" "binary junk"; expect_err_has "junk.bin: line 1:" "binary junk"
run 2 --verify samples; expect_out "" "directory as protocol"
sed 's#^Directory .*#Directory /no/such/dir\r#' samples.txt >elsewhere.txt
run 2 --verify elsewhere.txt; expect_err_has "/no/such/dir: No such file or directory (the directory named in the protocol" "protocol's missing directory"

# Verify output does not depend on the jobs either.
run 0 --protocol many -o many.txt
rm many/f7; printf x >many/f8; printf y >many/g1
run 1 --verify many.txt --jobs 1; one_job=$out
run 1 --verify many.txt --jobs 5; [ "$out" == "$one_job" ] || fail "--jobs 5 changes the verify output"

# Nothing but results when the output is redirected: no progress line.
run 0 --protocol many -o many2.txt; expect_no_err "progress with redirected stderr"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "sumbrook-cli end to end: all passed"
