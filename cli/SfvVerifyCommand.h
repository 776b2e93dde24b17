// The SFV half of VerifyDirectory (cli/Commands.h).
#pragma once

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "lists/SfvReader.h"

namespace sumbrook {

// Checks `directory` (when empty: the folder that holds the list at
// `listPath`) against `entries`, read from that list. A name that
// ResolveListedPath refuses gets one error naming its line, and nothing is
// checked. NEW: unlisted plain files in each folder that holds a listed file
// and, with `recursive`, in every folder of the tree; never the list itself.
int VerifyAgainstSfv(const std::string& listPath, const std::vector<SfvEntry>& entries,
                     const std::string& directory, bool recursive, const CliSettings& settings);

}  // namespace sumbrook
