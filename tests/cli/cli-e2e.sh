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
# What the summary of a check of CRC-32s that matched adds.
crc_note="; CRC-32 matches detect damage, not a file changed on purpose (a SHA-256 list tells that too)"

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
expect_has_line() { grep -qxF "$1" <<<"$out" || fail "$2: no line '$1' in: $out"; }

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
run 2 --jobs x samples/abc.txt; expect_err_has '--jobs: "x" is not a number' "--jobs x"
run 2 --jobs 1025 samples/abc.txt; expect_err_has "--jobs: 1025 is not between 1 and 1024" "--jobs 1025"
for flag in --help --version; do
  "$cli" $flag >/dev/full 2>"$work/err"; code=$?
  [ "$code" -eq 2 ] && grep -q "standard output: cannot be written" "$work/err" || fail "$flag to a full disk exited $code"
done
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
run 2 --protocol breaks; cp "$work/out" breaks.txt
expect_err_has "a name with a line break cannot be listed" "line break in a name"
expect_err_has "1 file could not be read; it is not in the protocol" "line break counted"
run 1 --verify breaks.txt
expect_out "OK          plain.txt
NEW         two\x0Alines  8CDC1683
1 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "line break in verify"

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
2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "verify unchanged"
expect_no_err "verify unchanged"

cp -r samples copy
run 0 --verify samples.txt copy --jobs 1; expect_out "OK          abc.txt
OK          crc_check_value_of_the_nine_digits.txt
EMPTY       empty.log
2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "verify another DIR"
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
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "cut name matches by prefix"
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
[[ "$out" == *"UNREADABLE  b.txt  cannot open: Permission denied"* && "$out" == *"1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 1 UNREADABLE, 0 AMBIGUOUS$crc_note" ]] ||
  fail "unreadable in verify: $out"

# A protocol kept inside its directory neither lists nor checks itself.
mkdir self; printf abc >self/a.txt
run 0 --protocol self -o self/list.txt
run 0 --protocol self -o self/list.txt  # again: the old protocol is there now
[[ "$(cat self/list.txt)" == *$'\r\n1 files calculated'* ]] || fail "protocol lists itself: $(cat self/list.txt)"
run 0 --verify self/list.txt
expect_out "OK          a.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "protocol inside the directory"
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

# --- SFV lists ---------------------------------------------------------------
crc() { "$cli" "$1" | cut -c1-8; }
# A tree with blanks, non-ASCII UTF-8 names, subfolders and an empty file; a
# hidden folder and a link to a folder, which no tree listing enters.
mkdir -p tree/sub/deeper "tree/with blank" tree/.cache "tree/ü"
printf abc >tree/abc.txt
printf 123456789 >"tree/with blank/nine digits.txt"
printf 'Grüße' >"tree/ü/straße.txt"
head -c 100000 /dev/urandom >tree/sub/deeper/random.bin
: >tree/sub/empty.log
printf h >tree/.cache/hidden.txt
ln -s sub tree/sub-link
tree_entries="abc.txt 352441C2
sub/deeper/random.bin $(crc tree/sub/deeper/random.bin)
sub/empty.log 00000000
with blank/nine digits.txt CBF43926
ü/straße.txt $(crc "tree/ü/straße.txt")"

# The peers' lists, made outside the tree, verify OK against it.
(cd tree && rhash -r --sfv . >../rhash-r.sfv && rhash --sfv abc.txt "ü/straße.txt" >../rhash.sfv &&
  cksfv abc.txt "with blank/nine digits.txt" sub/empty.log >../cksfv.sfv) ||
  fail "rhash or cksfv cannot list the tree"
for list in "rhash-r.sfv -r" rhash.sfv cksfv.sfv; do
  run 0 --verify $list tree
  [ "$(grep -cv '^OK ' <<<"$out")" -eq 1 ] || fail "$list from a peer does not verify OK: $out"
done
run 0 --verify rhash-r.sfv tree
[[ "$out" == *"OK          .cache/hidden.txt"* && "$out" == *" 0 NEW"* ]] || fail "rhash -r list: $out"
# A changed, a removed and an added file, in a copy of the tree.
cp -a tree changed; printf abd >changed/abc.txt; rm "changed/with blank/nine digits.txt"
printf new >changed/sub/added.txt; printf new >changed/sub/deeper/added.txt
run 1 --verify cksfv.sfv changed
expect_out "CHANGED     abc.txt  352441C2 -> $(crc changed/abc.txt)
MISSING     with blank/nine digits.txt
OK          sub/empty.log
NEW         sub/added.txt  $(crc changed/sub/added.txt)
1 OK, 1 CHANGED, 1 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "cksfv list of a changed tree"
run 1 --verify rhash-r.sfv changed -r
[[ "$out" == *"CHANGED     abc.txt  352441C2 -> "* && "$out" == *"MISSING     with blank/nine digits.txt"* &&
   "$out" == *"NEW         sub/added.txt"* && "$out" == *"NEW         sub/deeper/added.txt"* &&
   "$out" == *" 1 CHANGED, 1 MISSING, 2 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" ]] || fail "rhash -r list of a changed tree: $out"
run 1 --verify rhash.sfv changed; [[ "$out" == *"NEW         sub/added.txt"* ]] &&
  fail "NEW without -r reaches a folder that holds no listed file"

# Our list: sorted by path, '/' between folders, LF, no hidden folder, no
# link to a folder, not itself; rhash and cksfv check it.
run 0 --sfv tree -r -o tree/list.sfv; expect_out "" "--sfv -o"; expect_no_err "--sfv -o"
run 0 --sfv tree -r -o tree/list.sfv  # again: the old list is there now
head -n 1 tree/list.sfv | grep -Eq '^; Generated by sumbrook-cli [0-9]+\.[0-9]+\.[0-9]+ on [0-9]{4}-[0-9]{2}-[0-9]{2} at [0-9]{2}:[0-9]{2}:[0-9]{2}$' ||
  fail "--sfv header: $(head -n 1 tree/list.sfv)"
[ "$(grep -v '^;' tree/list.sfv)" == "$tree_entries" ] || fail "--sfv -r entries:"$'\n'"$(cat tree/list.sfv)"
grep -q $'\r' tree/list.sfv && fail "--sfv writes CR natively"
(cd tree && rhash --skip-ok -c list.sfv >/dev/null) || fail "rhash -c refuses our list"
(cd tree && cksfv -q -f list.sfv) || fail "cksfv -f refuses our list"
run 0 --verify tree/list.sfv -r --jobs 3
[ "$(grep -c '^OK ' <<<"$out")" -eq 5 ] && [[ "$out" == *$'\n5 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE'"$crc_note" ]] ||
  fail "our list does not verify: $out"
run 0 --sfv tree; [ "$(grep -v '^;' <<<"$out")" == "abc.txt 352441C2
list.sfv $(crc tree/list.sfv)" ] || fail "--sfv without -r: $out"
run 0 --sfv tree -r --jobs 1; one_job=$out; run 0 --sfv tree -r --jobs 5
[ "$(grep -v '^;' <<<"$out")" == "$(grep -v '^;' <<<"$one_job")" ] || fail "--jobs changes --sfv"

# What peers and people write: BOM, CR LF, comments, blank lines, lower-case
# hex, '\' between folders, tabs and blanks after the checksum.
printf '\xEF\xBB\xBF; made by hand\r\n\r\nabc.txt 352441c2\r\nwith blank\\nine digits.txt\tCBF43926  \r\n' >tree/hand.sfv
run 1 --verify tree/hand.sfv
expect_out "OK          abc.txt
OK          with blank/nine digits.txt
NEW         list.sfv  $(crc tree/list.sfv)
2 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "hand-made list"
rm tree/hand.sfv
printf 'abc.txt 352441C2\n./abc.txt 352441C2\nsub\\..\\abc.txt 00000000\nsub/empty.log 00000000\n' >dup.sfv
run 1 --verify dup.sfv tree
expect_out "DUPLICATE   abc.txt  on lines 1, 2 and 3
OK          sub/empty.log
NEW         list.sfv  $(crc tree/list.sfv)
1 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 UNREADABLE, 1 DUPLICATE$crc_note" "duplicates"
run 2 --verify samples.txt samples -r; expect_err_has "--recursive is for SFV lists" "protocol with -r"

# Bad lists: one error naming the line, nothing checked, nothing read.
bad_list() {  # bad_list NAME CONTENT EXPECTED_ERROR
  printf '%b' "$2" >"$1"
  run 2 --verify "$1" tree; expect_out "" "bad list $1"; expect_err_has "$1: $3" "bad list $1"
}
bad_list truncated.sfv 'abc.txt 352441C2\nsub/empty.log 0000' 'line 2: the checksum "0000" has 4 characters, not 8'
bad_list seven.sfv 'abc.txt 352441C' 'line 1: the checksum "352441C" has 7 characters, not 8'
bad_list nine.sfv '; x\nabc.txt 352441C20' 'line 2: the checksum "352441C20" has 9 characters, not 8'
bad_list nameless.sfv '352441C2\n' 'line 1: the line has a checksum but no name before it'
bad_list up.sfv 'abc.txt 352441C2\n../samples/abc.txt 352441C2' 'line 2: ".." leads out of the folder'
bad_list deep-up.sfv 'sub/../../samples/abc.txt 352441C2' 'line 1: ".." leads out of the folder'
bad_list absolute.sfv "$work/samples/abc.txt 352441C2" 'line 1: the name is an absolute path'
bad_list drive.sfv 'C:\\\\abc.txt 352441C2' 'line 1: the name starts with a drive'
head -c 5000 /dev/urandom >junk.sfv
run 2 --verify junk.sfv tree; expect_out "" "binary junk"; expect_err_has "junk.sfv: line " "binary junk"
# A 1 GiB line: refused after its first 128 KiB, in little memory (not
# measured under AddressSanitizer, which reserves far more), from a pipe and
# from a sparse file.
memory_limit=300000
grep -qa __asan_init "$cli" && memory_limit=unlimited
(ulimit -v $memory_limit; "$cli" --verify <(printf 'abc.txt 352441C2\n'; head -c 1G /dev/zero | tr '\0' a) tree \
  >"$work/out" 2>"$work/err"); code=$?; err=$(cat "$work/err")
[ "$code" -eq 2 ] || fail "1 GiB line from a pipe exited $code"
expect_err_has "line 2: the line is longer than 131072 bytes" "1 GiB line from a pipe"
printf 'abc.txt 352441C2\nb' >huge.sfv; truncate -s 1G huge.sfv
run 2 --verify huge.sfv tree; expect_err_has "huge.sfv: line 2: the line is longer than 131072 bytes" "1 GiB sparse line"
rm huge.sfv

# Names an SFV list cannot hold, unreadable files and folders: named,
# counted, exit 2; the list holds the rest.
mkdir -p oddnames; printf abc >oddnames/a.txt; printf x >"oddnames/two"$'\n'"lines"; printf x >"oddnames/;semi"
printf x >"oddnames/blank "; printf x >"oddnames/#notes"; printf x >"oddnames/ lead"
run 2 --sfv oddnames; [ "$(grep -v '^;' <<<"$out")" == "a.txt 352441C2" ] || fail "odd names listed: $out"
expect_err_has "two\x0Alines: cannot be listed: the name holds a control byte" "line break in an SFV name"
expect_err_has ";semi: cannot be listed: a name that starts with ';'" "';' first"
expect_err_has "#notes: cannot be listed: a name that starts with '#'" "'#' first"
expect_err_has " lead: cannot be listed: a blank at the start of a name" "a blank first"
expect_err_has "5 files could not be listed; they are not in the list" "odd names counted"
mkdir -p shut/closed; printf abc >shut/a.txt; printf x >shut/closed/x; printf s >shut/secret; chmod 000 shut/secret shut/closed
run_unprivileged 2 --sfv shut -r
[ "$(grep -v '^;' <<<"$out")" == "a.txt 352441C2" ] || fail "unreadable files in --sfv: $out"
expect_err_has "shut/secret: cannot open: Permission denied" "unreadable file in --sfv"
expect_err_has "shut/closed: the folder cannot be listed: Permission denied" "unreadable folder in --sfv"

# --- --compare ---------------------------------------------------------------
b3() { b3sum "$1" | cut -c1-64; }
# Files of one size and one CRC-32 are told apart, as diff tells them; a
# CRC-32 or XXH kind, which different files may share, is refused.
mkdir -p forged/src forged/dst; printf plumless >forged/src/f; printf buckeroo >forged/dst/f
[ "$(crc forged/src/f)" == "$(crc forged/dst/f)" ] || fail "the forged pair's CRC-32s differ"
run 1 --compare forged/src forged/dst; expect_has_line "DIFFERENT   f  $(b3 forged/src/f) -> $(b3 forged/dst/f)" "--compare of one CRC-32"
for kind in crc32 xxh64 xxh3 xxh128; do
  run 2 --compare forged/src forged/dst -a "$kind"; expect_err_has "--compare -a $kind: two different files can have one" "--compare -a $kind"
done
cp -a tree copy-tree; rm copy-tree/list.sfv
printf abd >copy-tree/abc.txt                      # same size, other bytes
printf 1234567890 >"copy-tree/with blank/nine digits.txt"  # another size
rm "copy-tree/ü/straße.txt"; printf n >copy-tree/sub/new.txt; printf x >copy-tree/.cache/more.txt
run 1 --compare tree copy-tree -r
expect_out "DIFFERENT   abc.txt  $(b3 tree/abc.txt) -> $(b3 copy-tree/abc.txt)
MISSING     list.sfv
OK          sub/deeper/random.bin
OK          sub/empty.log
DIFFERENT   with blank/nine digits.txt  9 bytes -> 10 bytes
MISSING     ü/straße.txt
NEW         sub/new.txt
2 OK, 2 DIFFERENT, 2 MISSING, 1 NEW, 0 UNREADABLE" "--compare -r"
one_job=$out; run 1 --compare tree copy-tree -r --jobs 4; [ "$out" == "$one_job" ] || fail "--jobs changes --compare"
run 1 --compare tree copy-tree
expect_out "DIFFERENT   abc.txt  $(b3 tree/abc.txt) -> $(b3 copy-tree/abc.txt)
MISSING     list.sfv
0 OK, 1 DIFFERENT, 1 MISSING, 0 NEW, 0 UNREADABLE" "--compare without -r"
# A folder against itself, however named, says so: it checks no copy.
run 2 --compare tree "$work/copy-tree/../tree/" -r; expect_err_has "SRC and DEST are the same folder" "tree against itself"
cp -a copy-tree locked-copy; chmod 000 locked-copy/sub/empty.log
run_unprivileged 2 --compare copy-tree locked-copy -r
expect_has_line "UNREADABLE  sub/empty.log  locked-copy/sub/empty.log: cannot open: Permission denied" "--compare unreadable"
run 2 --compare tree "$work/no-such-dir"; expect_err_has "no-such-dir: No such file or directory" "--compare missing DEST"
run 2 --compare tree; expect_err_has "--compare takes two directories" "--compare without DEST"

# --- --uncached --------------------------------------------------------------
# The same reports read past the cache (a note at the end of the summary line
# apart, where the file system refuses), on the disk and in memory (tmpfs).
head -c 3000000 /dev/urandom >tree/sub/large.bin; cp tree/sub/large.bin copy-tree/sub/
without_note() { sed -E '$s/, [0-9]+ read through the cache \(the file system refused uncached reads\)$//' <<<"$1"; }
shm=$(mktemp -d /dev/shm/sbcli-e2e.XXXXXX) && cp -a tree "$shm/tree"
for args in "--verify samples.txt" "--verify tree/list.sfv -r" "--compare tree copy-tree -r" \
            "--compare tree $shm/tree -r --jobs 1"; do
  read -ra words <<<"$args"
  "$cli" "${words[@]}" >"$work/out" 2>&1; cached_code=$?; cached=$(cat "$work/out")
  "$cli" "${words[@]}" --uncached >"$work/out" 2>&1; code=$?; out=$(cat "$work/out")
  [ "$code" -eq "$cached_code" ] && [ "$(without_note "$out")" == "$cached" ] ||
    fail "$args --uncached ($code) differs from a cached read ($cached_code):"$'\n'"$out"$'\n'"$cached"
done
rm -rf "$shm"
run 2 --uncached samples/abc.txt; expect_err_has "--uncached is for --verify and --compare" "--uncached alone"
run 2 --sfv tree --uncached; expect_err_has "--uncached is for --verify and --compare" "--sfv --uncached"

# --- written lists: nothing lost, nothing misleading -------------------------
# A write that fails (a size limit, a full device) leaves the earlier list as
# it was and no temporary file, and exits 2.
mkdir -p many; for i in $(seq 1 60); do printf %s "$i" >"many/file-with-a-rather-long-name-$i.txt"; done
printf 'old list\n' >keep.sfv
(trap '' XFSZ; ulimit -f 1; "$cli" --sfv many -o keep.sfv >"$work/out" 2>"$work/err"); code=$?; err=$(cat "$work/err")
[ "$code" -eq 2 ] || fail "-o over a size limit exited $code"
[ "$(cat keep.sfv)" == "old list" ] || fail "-o over a size limit changed the earlier list: $(head -c 200 keep.sfv)"
expect_err_has "keep.sfv: cannot be written: File too large" "-o over a size limit"
[ -z "$(find . -maxdepth 1 -name '*.tmp')" ] || fail "a temporary file is left: $(find . -maxdepth 1 -name '*.tmp')"
run 2 --sfv many -o /dev/full; expect_err_has "/dev/full: cannot be written: No space left on device" "-o /dev/full"
run 2 --protocol many -o /dev/full; expect_err_has "No space left on device" "--protocol -o /dev/full"
# Through a link the file it names is replaced and the link stays; a FIFO is
# written into, not replaced.
ln -s keep.sfv keep-link.sfv; run 0 --sfv many -o keep-link.sfv
[ -L keep-link.sfv ] && grep -q "name-60.txt" keep.sfv || fail "-o through a link"
mkfifo list.fifo; cat list.fifo >from-fifo.txt & reader=$!
run 0 --sfv many -o list.fifo; wait "$reader"
[ -p list.fifo ] && [ "$(grep -c name- from-fifo.txt)" -eq 60 ] || fail "-o to a FIFO"

# --protocol names its folder in full, so that it verifies from anywhere.
run 0 --protocol samples -o relative.txt
grep -q $'^Directory '"$(realpath samples)"$'\r$' relative.txt || fail "--protocol DIR: $(sed -n 2p relative.txt)"
(cd many && "$cli" --verify ../relative.txt >"$work/out" 2>&1); code=$?
[ "$code" -eq 0 ] || fail "a protocol verified from another folder exited $code: $(cat "$work/out")"

# What --sfv lists, --verify reads back as the same files: names Windows
# cannot hold are ordinary here; a name with '\' would read as two, so it is
# named and left out.
mkdir -p portable; printf a >portable/aux.c; printf b >portable/nul.txt; printf c >'portable/1:2,S'
printf d >'portable/a\b'
run 2 --sfv portable; cp "$work/out" portable.sfv
expect_err_has "a\\b: cannot be listed: a list reads '\\' in a name as a folder separator" "'\\' in a name"
run 1 --verify portable.sfv portable
expect_out 'OK          1:2,S
OK          aux.c
OK          nul.txt
NEW         a\b  '"$(crc 'portable/a\b')"'
3 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE'"$crc_note" "names only Windows cannot hold"

# Protocol names are cut after their last whole UTF-8 character within 34
# bytes and filled with blanks to 34 bytes.
mkdir -p cut; long="x$(printf 'ä%.0s' $(seq 1 20)).txt"; printf abc >"cut/$long"
run 0 --protocol cut -o cut.txt
grep -q "^x$(printf 'ä%.0s' $(seq 1 16)) 352441C2"$'\r$' cut.txt || fail "protocol name cut: $(sed -n 5p cut.txt | od -c | head -3)"
run 0 --verify cut.txt; expect_out "OK          $long
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS$crc_note" "cut name verifies"

# A folder is no list.
run 2 --verify samples; expect_err_has "samples: a folder, not a list" "--verify of a folder"

# --- lists that check nothing, lists that name themselves, folders ------------
# A list that names no file checks nothing: an error, never a success.
mkdir -p nothing; printf abc >nothing/a.txt
printf '; only a comment\r\n\r\n' >nothing/comments.sfv
: >nothing/empty.sfv
sed -e '/^[a-z]/d' -e 's/^[0-9]* files calculated/0 files calculated/' samples.txt >nothing/zero.txt
for list in nothing/empty.sfv nothing/comments.sfv nothing/zero.txt /dev/null; do
  run 2 --verify "$list" nothing; expect_out "" "empty list $list"
  expect_err_has "$list names no files; nothing was checked" "empty list $list"
done
"$cli" --verify nothing/comments.sfv nothing >nothing/comments.sfv 2>"$work/err"; code=$?
[ "$code" -eq 2 ] || fail "a list emptied by the shell exited $code"

# A list never lists or checks itself, also through standard output or a link.
mkdir -p selfish; printf abc >selfish/a.txt
(cd selfish && "$cli" --sfv . >list.sfv); code=$?
[ "$code" -eq 0 ] && [ "$(grep -v '^;' selfish/list.sfv)" == "a.txt 352441C2" ] ||
  fail "--sfv . > list.sfv lists itself ($code): $(cat selfish/list.sfv)"
ln -s list.sfv selfish/link.sfv
run 0 --sfv selfish -o selfish/link.sfv
[ -L selfish/link.sfv ] || fail "-o through a link replaced the link"
[ "$(grep -v '^;' selfish/list.sfv)" == "a.txt 352441C2" ] || fail "-o through a link lists its target: $(cat selfish/list.sfv)"
mkdir -p selfish2; printf abc >selfish2/a.txt
printf 'a.txt 352441C2\nlist2.sfv 00000000\n' >selfish2/list2.sfv
run 0 --verify selfish2/list2.sfv
expect_out "OK          a.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "a list naming itself"
expect_err_has "list2.sfv names itself" "a list naming itself"

# Every file that is the list by identity is left out and named once: a
# listed link to it, an unlisted hard link, the list bound over another file.
mkdir -p selfish3; printf abc >selfish3/a.txt
printf 'a.txt 352441C2\nlink.sfv 12345678\n' >selfish3/l.sfv
ln -s l.sfv selfish3/link.sfv; ln selfish3/l.sfv selfish3/hard.sfv
bound=""; : >selfish3/bound.sfv
[ "$(id -u)" -eq 0 ] && mount --bind selfish3/l.sfv selfish3/bound.sfv 2>/dev/null && bound=selfish3/bound.sfv
run 0 --verify selfish3/l.sfv
expect_out "OK          a.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "links to the list"
for name in link.sfv hard.sfv ${bound:+bound.sfv}; do
  [ "$(grep -c "^sumbrook-cli: $name is selfish3/l.sfv itself" <<<"$err")" -eq 1 ] || fail "$name not named once: $err"
done
[ -n "$bound" ] && umount "$bound"

# Without -r too, a listed folder that cannot be listed is reported.
mkdir -p shut9/closed; printf x >shut9/closed/x; chmod 000 shut9/closed
printf 'closed/x 00000000\n' >shut9/l.sfv
run_unprivileged 2 --verify shut9/l.sfv
expect_err_has "closed: the folder cannot be listed: Permission denied" "unlistable folder without -r"
chmod 755 shut9/closed

# NEW never looks into a folder reached through a link; the listed file is
# still opened as the system resolves it.
mkdir -p linked/outside linked/dir; printf abc >linked/outside/x.txt; printf y >linked/outside/other.txt
ln -s ../outside linked/dir/link
printf 'link/x.txt 352441C2\n' >linked/dir/l.sfv
run 0 --verify linked/dir/l.sfv
expect_out "OK          link/x.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "a link to a folder"

# The files of a listed folder that is not there (or is a file) are MISSING
# without a look at each; the others are read as ever.
mkdir -p gone; printf abc >gone/a.txt
printf 'none/x.bin 00000000\na.txt/y.bin 00000000\nnone/z.bin 00000000\na.txt 352441C2\n' >gone/l.sfv
run 1 --verify gone/l.sfv
expect_out "MISSING     none/x.bin
MISSING     a.txt/y.bin
MISSING     none/z.bin
OK          a.txt
1 OK, 0 CHANGED, 3 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "files of folders not there"

# --- where -o leads: what the path is, not how it is spelled -------------------
# Each case: a setup, the -o target, the code, a part of stderr, and a check
# of what is there afterwards (want.sfv: the list itself; old: what the
# setup left). The header's time is fixed, so the lists are byte for byte.
export SOURCE_DATE_EPOCH=1700000000
mkdir -p wdir; printf abc >wdir/a.txt; printf 123456789 >wdir/b.txt
"$cli" --sfv wdir >want.sfv
shm=$(mktemp -d /dev/shm/sbcli-o.XXXXXX)
long=$(printf 'n%.0s' $(seq 1 244)).sfv
ro_setup() { mkdir -p ro; printf 'old list\n' >ro/l.sfv; chmod 666 ro/l.sfv; chmod 555 ro; }
o_case() {  # o_case LABEL SETUP TARGET CODE STDERR_PART CHECK [unprivileged]
  local label=$1 setup=$2 target=$3 expected=$4 part=$5 check=$6
  eval "$setup"
  if [ "${7:-}" == unprivileged ]; then run_unprivileged "$expected" --sfv wdir -o "$target"
  else run "$expected" --sfv wdir -o "$target"; fi
  if [ -z "$part" ]; then expect_no_err "-o $label"; else expect_err_has "$part" "-o $label"; fi
  eval "$check" || fail "-o $label: what is there afterwards is wrong"
}
o_case "longer file under /dev/shm" "python3 -c \"print('X'*300)\" >$shm/r.sfv" "$shm/r.sfv" 0 "" \
  "cmp -s want.sfv $shm/r.sfv"
o_case "new file under /dev/shm" "" "$shm/new.sfv" 0 "" "cmp -s want.sfv $shm/new.sfv"
o_case "loop of three links" "ln -s lB lA; ln -s lC lB; ln -s lA lC" lA 2 \
  "lA: cannot be written: Too many levels of symbolic links" \
  '[ "$(readlink lA)$(readlink lB)$(readlink lC)" == lBlClA ]'
o_case "loop of two links" "ln -s m2 m1; ln -s m1 m2" m1 2 "Too many levels of symbolic links" \
  '[ "$(readlink m1)$(readlink m2)" == m2m1 ]'
o_case "link to a file not there yet" "ln -s end.sfv start.sfv" start.sfv 0 "" \
  '[ -L start.sfv ] && cmp -s want.sfv end.sfv'
o_case "name of 244 bytes" "" "$long" 0 "" 'cmp -s want.sfv "$long" && [ -z "$(find . -name "*.tmp")" ]'
o_case "file in a folder that does not exist" "" nowhere/l.sfv 2 \
  "nowhere/l.sfv: cannot be written: No such file or directory" \
  '[[ "$err" != *"what was there"* ]]'
o_case "file in a read-only folder" ro_setup ro/l.sfv 2 \
  "ro/l.sfv: cannot be written: the folder does not allow the temporary file beside it" \
  '[[ "$err" == *"; what was there is left as it was" ]] && [ "$(cat ro/l.sfv)" == "old list" ]' unprivileged
o_case "new file in a read-only folder" "" ro/new.sfv 2 "the folder does not allow the temporary file" \
  '[[ "$err" != *"what was there"* ]] && [ ! -e ro/new.sfv ]' unprivileged
chmod 755 ro
# Descriptors named as files are written as they are open: appended to where
# they append, at their offset where the shell truncated them.
for target in /dev/stdout /dev/fd/3 /proc/self/fd/3; do
  seq 1 100 >log.txt
  "$cli" --sfv wdir -o "$target" 3>>log.txt >>log.txt 2>"$work/err"; code=$?
  [ "$code" -eq 0 ] && cmp -s <(seq 1 100; cat want.sfv) log.txt ||
    fail "-o $target appended to a log ($code): $(head -c 300 log.txt)"
done
seq 1 100 >log.txt
"$cli" --sfv wdir -o /proc/self/fd/1 >log.txt; cmp -s want.sfv log.txt || fail "-o /proc/self/fd/1 >log.txt"
rm -rf "$shm"

# A size limit: the write fails as too large and is reported, nothing left
# behind (no SIGXFSZ kills it first); standard output alike.
printf 'old list\n' >keep.sfv
(ulimit -f 1; "$cli" --sfv many -o keep.sfv 2>"$work/err"); code=$?; err=$(cat "$work/err")
[ "$code" -eq 2 ] && [ "$(cat keep.sfv)" == "old list" ] || fail "-o over a size limit without a trap exited $code"
expect_err_has "keep.sfv: cannot be written: File too large; what was there is left as it was" "size limit"
(ulimit -f 1; "$cli" --sfv many >big.sfv 2>"$work/err"); code=$?; err=$(cat "$work/err")
[ "$code" -eq 2 ] || fail "stdout over a size limit exited $code"
expect_err_has "standard output: cannot be written" "stdout over a size limit"
# SIGINT or SIGTERM while the list is being written (strace sends it as the
# new list is flushed): the temporary file is removed, the old list stays,
# exit 2 with a word.
# (A signal this script was started with ignored stays ignored, as the
# program leaves it: not tried.)
ignored=$((16#$(sed -n 's/^SigIgn:\t//p' /proc/$$/status)))
if strace -o /dev/null true 2>/dev/null; then
  for signal in INT TERM; do
    [ $((ignored >> ($(kill -l $signal) - 1) & 1)) -eq 1 ] && continue
    # (LeakSanitizer cannot work under ptrace.)
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
      strace -f -o /dev/null -e trace=fsync -e inject=fsync:signal=$signal "$cli" --sfv many -o keep.sfv \
      >"$work/out" 2>"$work/err"; code=$?; err=$(cat "$work/err")
    [ "$code" -eq 2 ] && [ "$(cat keep.sfv)" == "old list" ] || fail "SIG$signal during the write: exit $code"
    expect_err_has "keep.sfv: cannot be written: interrupted by SIG$signal; what was there is left as it was" "SIG$signal"
    [ -z "$(find . -maxdepth 1 -name '*.tmp')" ] || fail "SIG$signal left $(find . -maxdepth 1 -name '*.tmp')"
  done
else
  echo "note: strace cannot trace here; signals during the write not tried"
fi
unset SOURCE_DATE_EPOCH

# What is left out is named: a link that leads to no file (in --sfv,
# --compare and --protocol), a non-empty file whose CRC is 00000000 (a
# protocol never lists one).
mkdir -p dangling; printf abc >dangling/a.txt; ln -s nowhere dangling/gone; ln -s loop dangling/loop
cp -a dangling dangling-copy
for args in "--sfv dangling" "--compare dangling dangling-copy" "--protocol dangling"; do
  read -ra words <<<"$args"
  run 0 "${words[@]}"
  expect_err_has "dangling/gone: left out: a link that leads to no file (No such file or directory)" "$args"
  expect_err_has "dangling/loop: left out: a link that leads to no file (Too many levels of symbolic links)" "$args"
done
mkdir -p zero; printf '\x9d\x0a\xd9\x6d' >zero/zero.bin; printf abc >zero/a.txt
run 0 --protocol zero; expect_err_has "zero/zero.bin: its checksum is 00000000, which a protocol never lists" "CRC 00000000"
# A list whose one line names the list itself checks nothing.
mkdir -p onlyself; printf abc >onlyself/a.txt; printf 'l.sfv 00000000\n' >onlyself/l.sfv
run 2 --verify onlyself/l.sfv; expect_out "" "a list naming only itself"
expect_err_has "onlyself/l.sfv names no files but itself; nothing was checked" "a list naming only itself"

# Without -r a folder is listed only where a listed file lies directly in it:
# folders on the way (the top too) that may be passed but not read are no
# error; one that holds a listed file and cannot be listed is.
mkdir -p pass9/mid/x; printf abc >pass9/mid/x/a.txt; printf 'mid/x/a.txt 352441C2\n' >pass9/l.sfv
chmod 711 pass9 pass9/mid
run_unprivileged 0 --verify pass9/l.sfv
expect_out "OK          mid/x/a.txt
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE$crc_note" "folders passed but not read"
chmod 755 pass9 pass9/mid

# A list of a million files whose folders are there, or all in one folder,
# checks in bounded memory: the files a folder's listing does not hold are
# MISSING without a look at each (not under AddressSanitizer, which
# reserves far more memory and runs far slower).
if ! grep -qa __asan_init "$cli"; then
  mkdir -p million/present million/one
  (cd million/present && mkdir $(seq -f 'dir%03g' 0 999))
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "dir%03d/file%07d.bin %08X\n", i % 1000, i, i }' \
    >million/present/l.sfv
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "file%07d.bin %08X\n", i, i }' >million/one/l.sfv
  for layout in present one; do
    (ulimit -v 250000; "$cli" --verify "million/$layout/l.sfv" >"$work/out" 2>"$work/err"); code=$?
    [ "$code" -eq 1 ] && [ "$(tail -1 "$work/out")" == "0 OK, 0 CHANGED, 1000000 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE" ] ||
      fail "a million missing files ($layout) exited $code: $(tail -1 "$work/out") $(cat "$work/err")"
  done
  rm -rf million
fi

# --- lists as a hostile user makes them -------------------------------------
mkdir -p hostile/dl hostile/crc hostile/multi hostile/out
printf iso >hostile/dl/image.iso; printf other >hostile/dl/other.txt
# The digest file of one download checks that one file, however it names it.
for content in "$(sha256sum hostile/dl/image.iso | cut -c1-64)" "$(cd hostile/dl && sha256sum image.iso)"; do
  printf '%s\n' "$content" >hostile/dl/image.iso.sha256
  run 0 --verify hostile/dl/image.iso.sha256
  expect_out "OK          image.iso
1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE" "the digest file of one download"
done
# Its own CRC-32 lines read back as rhash reads them; a line SFV reads too
# is named, never guessed (-a crc32 reads it as rhash does).
printf x >hostile/crc/deadbeef; printf notes >hostile/crc/notes.txt
(cd hostile/crc && "$cli" deadbeef notes.txt) >hostile/crc.txt
run 0 --verify hostile/crc.txt hostile/crc
(cd hostile/crc && rhash -c ../crc.txt >/dev/null) || fail "rhash -c refuses sumbrook-cli's CRC-32 lines"
head -1 hostile/crc.txt >hostile/one-crc.txt; printf y >hostile/crc/deadbeef
for args in "" "--ignore-missing"; do
  run 2 --verify hostile/one-crc.txt hostile/crc $args; expect_err_has "may be SFV (the CRC-32 of" "one CRC-32 line $args"
done
(cd hostile/crc && xxhsum -H0 notes.txt) >hostile/xxh32.txt
run 1 --verify hostile/xxh32.txt hostile/crc; expect_has_line "$(head -1 <<<"$out")" "xxhsum -H0"
[[ "$out" == *"XXH32 digests (xxhsum -H0) are not read here" ]] || fail "xxhsum -H0 list: $out"
run 1 --verify hostile/one-crc.txt hostile/crc -a crc32; expect_has_line "CHANGED     deadbeef  8CDC1683 -> $(crc hostile/crc/deadbeef)" "-a crc32 reads sum lines"
# A protocol holds CRC-32s: another algorithm is refused, as for SFV.
"$cli" --protocol hostile/crc -o hostile/protocol.txt
run 2 --verify hostile/protocol.txt -a sha256; expect_err_has "a protocol holds CRC-32 checksums only" "protocol -a sha256"
# Lines of several kinds for one file: each checked, as rhash -c and cksum -c do.
printf a >hostile/multi/a; printf b >hostile/multi/b
(cd hostile/multi && rhash --bsd --md5 --sha256 a b) >hostile/rhash-bsd.txt
(cd hostile/multi && md5sum --tag a b && sha256sum --tag a b) >hostile/tags.txt
for list in rhash-bsd.txt tags.txt; do
  run 0 --verify "hostile/$list" hostile/multi
  expect_has_line "OK          a  SHA-256" "$list"; [[ "$out" == *$'\n4 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE' ]] || fail "$list: $out"
done
strace -f -e trace=openat -o "$work/trace" "$cli" --verify hostile/tags.txt hostile/multi >/dev/null 2>&1
[ "$(grep -c 'multi/a"' "$work/trace")" -eq 1 ] || fail "a file of two kinds is opened $(grep -c 'multi/a"' "$work/trace") times"
(cd hostile/multi && b3sum a && md5sum a && sha1sum a) >hostile/settled.txt  # the first line settles the kind
run 0 --verify hostile/settled.txt hostile/multi --ignore-missing
[ "$(grep -c '^OK          a  ' <<<"$out")" -eq 3 ] || fail "a settled file of three kinds: $out"
printf c >hostile/multi/b
run 1 --verify hostile/tags.txt hostile/multi; [[ "$out" == *$'\n2 OK, 2 CHANGED, 0 MISSING'* ]] || fail "tags of a changed file: $out"
(cd hostile/multi && cksum -c ../tags.txt >/dev/null 2>&1) && fail "cksum -c finds no change"
# The settling read of a list whose length leaves the kind open is its row's
# read: the file is opened once, and the list itself (a link to it) never.
(cd hostile/multi && b3sum a b) >hostile/multi/hashes.txt; ln -s hashes.txt hostile/multi/0link
(cd hostile/multi && b3sum 0link a b) >hostile/multi/hashes.txt
strace -f -e trace=openat -o "$work/trace" "$cli" --verify hostile/multi/hashes.txt >"$work/out" 2>"$work/err"
[ "$(grep -c 'multi/a"' "$work/trace")" -eq 1 ] || fail "a settled file is opened $(grep -c 'multi/a"' "$work/trace") times"
[ "$(grep -c 'multi/0link"' "$work/trace")" -le 1 ] || fail "the settling opens the list"
grep -q "0link is hostile/multi/hashes.txt itself" "$work/err" && ! grep -q 0link "$work/out" ||
  fail "a link to the list among settled files: $(cat "$work/out" "$work/err")"
# Standard input as the list, and /dev/stdin, are checked in the current folder.
(cd hostile/crc && sha256sum deadbeef notes.txt) >hostile/stdin.txt
for list in - /dev/stdin; do
  (cd hostile/crc && "$cli" --verify "$list" <../stdin.txt >"$work/out" 2>"$work/err"); code=$?
  [ "$code" -eq 0 ] && [ "$(grep -c '^OK ' "$work/out")" -eq 2 ] || fail "--verify $list: exit $code: $(cat "$work/out" "$work/err")"
done
# A run that leaves a file out leaves -o FILE as it was; a file replaced as
# root keeps its owner and group.
printf a >hostile/out/a; printf s >hostile/out/secret; chmod 000 hostile/out/secret
printf 'old\n' >hostile/kept.txt; chmod 666 hostile/kept.txt
run_unprivileged 2 --list hostile/out -o hostile/kept.txt
[ "$(cat hostile/kept.txt)" == "old" ] || fail "a failed --list replaced -o FILE: $(cat hostile/kept.txt)"
expect_err_has "kept.txt: not written, since the list would lack them" "-o of a failed run"
chmod 644 hostile/out/secret
if [ "$(id -u)" -eq 0 ]; then
  chown nobody:nogroup hostile/kept.txt; run 0 --list hostile/out -o hostile/kept.txt
  [ "$(stat -c %U:%G hostile/kept.txt)" == "nobody:nogroup" ] || fail "-o as root: owned by $(stat -c %U:%G hostile/kept.txt)"
fi
# Names rhash -c misreads are left out of SFV lists; BLAKE3 tags, which no
# tool reads, are refused.
run 2 --list hostile/out -a blake3 --tag; expect_err_has "no tool reads BLAKE3 tag lines" "--tag -a blake3"
# What is no list, or no file, says what it is.
run 0 --help
for text in "16 XXH64" ".xxh64" "SHA384SUMS" "16: XXH64 or XXH3-64"; do
  [[ "$out" == *"$text"* ]] || fail "--help lacks '$text'"
done
run 2 -a sha256 samples/archive; expect_err_has "samples/archive: not a regular file: it is a folder" "a folder as a file"
"$cli" -a sha256 samples/abc.txt >/dev/full 2>"$work/err"; err=$(cat "$work/err")
expect_err_has "standard output: cannot be written: No space left on device" "> /dev/full"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "sumbrook-cli end to end: all passed"
