// "New list...": the SFV list of a folder's plain files (its whole tree
// when `options.recursive`), as `sumbrook-cli --sfv` writes it, saved at
// `target` only once it is whole. Each file becomes a row (OK when its line
// was written; a name an SFV list cannot hold is a row with the reason).
#pragma once

#include <string>

#include "verify/CheckRun.h"

namespace sumbrook {

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              const CheckOptions& options, CheckSink& sink);

}  // namespace sumbrook
