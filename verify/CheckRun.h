// Runs a check (a folder against a protocol or a list of lines, or a folder
// against its copy) and hands what it finds to a sink, as it finds it. It
// prints nothing: the command line and the verification window each show
// the rows their own way.
#pragma once

#include <string>

#include "verify/CheckSink.h"

namespace sumbrook {

// The options of a run as a front end asks for it: `jobs` files read at once
// (0: DefaultJobCount(), one per core), the whole tree or not, past the
// system's cache or not; the rest as CheckOptions has them.
CheckOptions RunOptions(unsigned jobs, bool recursive, bool uncached);

// Checks `directory` against the list at `listPath`: the dialog's protocol
// (known by its first line; an empty `directory` means the one it names;
// `recursive` is refused) or else a list of lines of any format
// (lists/ListReader.h; an empty `directory` means the folder holding the
// list), each file read for the kind of its listed digest. Where a digest's
// length alone chose its kind among several, the first listed file there
// that matches one of them settles it for the whole list; the outcome's
// `notes` say which, and that a clear-signed list's signature was not
// checked. The list itself is never reported. A list
// that names no file (empty, only comments, a protocol of no files, one
// line that names the list itself) is refused: it would check nothing. So
// is a folder, and on Windows a device name ("aux.sfv", "COM1", "NUL"),
// which would be opened and waited on or read as empty.
CheckOutcome VerifyList(const std::string& listPath, const std::string& directory,
                        const CheckOptions& options, CheckSink& sink);

// The digest a copy is compared by unless `CheckOptions::algorithm` says:
// one that two different files never share by chance or by design (four
// bytes make a CRC-32 match), and the fastest such.
inline constexpr DigestKind kCopyDigest = DigestKind::kBlake3;

// Compares the plain files of `source` with those at the same relative
// paths under `copy`, by kCopyDigest or `options.algorithm`.
CheckOutcome CompareCopy(const std::string& source, const std::string& copy,
                         const CheckOptions& options, CheckSink& sink);

}  // namespace sumbrook
