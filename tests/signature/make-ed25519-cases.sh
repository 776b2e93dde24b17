#!/usr/bin/env bash
# Makes minisign and signify keys, files and signatures in DIR with the
# tools themselves, and writes DIR/cases, one case a line:
#   FORMAT KEY SIGNATURE FILE TOOL EXPECTED
# FORMAT is minisign, signify or signify-embedded (FILE then "-": the
# message is inside the signature); TOOL is the exit code of the tool's own
# check of the same files (0: verified); EXPECTED is the verdict Sumbrook
# must give: good, bad, unknown (no key given has the signature's ID) or
# refused. The signature tests read it in both builds (natively and under
# Wine). Where EXPECTED is refused while TOOL is 0, Sumbrook refuses on
# purpose: a legacy or signify signature over a file above 64 MiB.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
rm -f ./*.pub ./*.key ./*.sec ./*.minisig ./*.sig cases

minisign -G -W -p a.pub -s a.key >/dev/null
minisign -G -W -p b.pub -s b.key >/dev/null
tail -n 1 a.pub >a.line  # the key as a publisher's page shows it
signify-openbsd -G -n -p s.pub -s s.sec -c "release key"
signify-openbsd -G -n -p t.pub -s t.sec -c "another key"

printf 'SHA256 (disc.iso) = 0f1e2d\n' >small
cp small changed
printf 'one more line\n' >>changed
truncate -s 65M big  # above the 64 MiB that an unhashed signature is checked over

minisign -S -s a.key -m small -x small.minisig -t "release 1.0	built by the publisher" >/dev/null
minisign -S -l -s a.key -m small -x small.legacy.minisig >/dev/null
minisign -S -s a.key -m big -x big.minisig >/dev/null
minisign -S -l -s a.key -m big -x big.legacy.minisig >/dev/null
sed '3s/release 1.0/release 2.0/' small.minisig >comment-edited.minisig

sha256sum --tag small big >SHA256
signify-openbsd -S -e -s s.sec -m SHA256 -x SHA256.sig
sed '3s/(small)/(smell)/' SHA256.sig >SHA256.edited.sig
signify-openbsd -S -s s.sec -m small -x small.sig
signify-openbsd -S -s s.sec -m big -x big.sig

lines=()
minisign_case() {  # KEY SIGNATURE FILE EXPECTED
  local code=0
  if [ "${1##*.}" = line ]; then
    minisign -V -q -P "$(cat "$1")" -x "$2" -m "$3" >/dev/null 2>&1 || code=$?
  else
    minisign -V -q -p "$1" -x "$2" -m "$3" >/dev/null 2>&1 || code=$?
  fi
  lines+=("minisign $1 $2 $3 $code $4")
}
signify_case() {  # KEY SIGNATURE FILE EXPECTED
  local code=0
  if [ "$3" = - ]; then
    rm -f message.out
    signify-openbsd -V -e -q -p "$1" -x "$2" -m message.out >/dev/null 2>&1 || code=$?
    lines+=("signify-embedded $1 $2 - $code $4")
  else
    signify-openbsd -V -q -p "$1" -x "$2" -m "$3" >/dev/null 2>&1 || code=$?
    lines+=("signify $1 $2 $3 $code $4")
  fi
}

minisign_case a.pub small.minisig small good
minisign_case a.line small.minisig small good
minisign_case a.pub small.legacy.minisig small good
minisign_case a.pub big.minisig big good
minisign_case a.pub small.minisig changed bad
minisign_case a.pub small.legacy.minisig changed bad
minisign_case a.pub comment-edited.minisig small bad
minisign_case b.pub small.minisig small unknown
minisign_case a.pub big.legacy.minisig big refused
signify_case s.pub SHA256.sig - good
signify_case s.pub SHA256.edited.sig - bad
signify_case t.pub SHA256.sig - unknown
signify_case s.pub small.sig small good
signify_case s.pub small.sig changed bad
signify_case t.pub small.sig small unknown
signify_case s.pub big.sig big refused

printf '%s\n' "${lines[@]}" >cases.tmp
mv cases.tmp cases
