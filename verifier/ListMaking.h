// "New list...": the SFV list of a folder's plain files (its whole tree
// when `options.recursive`), with the lines `sumbrook-cli --sfv` writes for
// it under a header that names this program, saved at `target` only once it
// is whole (an old list there is replaced only then, and is not listed).
// Each file becomes a row: OK with its checksum, or UNREADABLE with the
// reason (a name an SFV list cannot hold, a file that cannot be read). A
// cancelled run writes nothing; a failed write ends it as refused, naming
// the target, and so does a target that must not be replaced (read-only,
// OutputTarget.h), before anything is listed.
#pragma once

#include <string>

#include "verify/CheckRun.h"

namespace sumbrook {

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              const CheckOptions& options, CheckSink& sink);

}  // namespace sumbrook
