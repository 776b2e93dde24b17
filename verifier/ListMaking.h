// "New list...": the list of a folder's plain files (its whole tree when
// `options.recursive`) in `format` (SFV, sum or tag lines), its digests of
// `options.algorithm` (none: CRC-32), with the lines `sumbrook-cli --list`
// (`--sfv` for SFV) writes for it: the format's header lines, which name
// this program, then a line per file, each ended by the format's line end.
// It is saved at `target` only once it is whole (an old list there is
// replaced only then, and is not listed). Each file becomes a row: OK with
// its digest, or UNREADABLE with the reason (a name the format cannot hold,
// a file that cannot be read). A cancelled run writes nothing; a failed
// write ends it as refused, naming the target, and so does a target that
// must not be replaced (read-only, OutputTarget.h), and a kind `format`
// does not hold (NotHeldText), before anything is listed.
#pragma once

#include <string>

#include "lists/ListFormat.h"
#include "verify/CheckRun.h"

namespace sumbrook {

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              ListFormat format, const CheckOptions& options, CheckSink& sink);

}  // namespace sumbrook
